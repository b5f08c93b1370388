# Sourced by the printing tests: a CUPS scheduler with PDF printers whose files land in one
# folder. Run it before the Wine prefix's wineserver starts: Wine reads the printer list then.
#
#   cups_env_up OUTDIR       scheduler running, queue "PDF" as the default, PDFs into OUTDIR
#   cups_add_pdf_queue NAME  one more PDF queue, writing into the same folder
#   cups_remove_queue NAME   takes a queue away (for runs that need no printer at all)
#   cups_env_down            stops the scheduler if cups_env_up started it

CUPS_PDF_CONF=${CUPS_PDF_CONF:-/etc/cups/cups-pdf.conf}
CUPS_PDF_PPD=lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd
CUPS_STARTED_PID=""

cups_set_pdf_option() {
  local key=$1 value=$2
  if grep -qE "^#?${key}[[:space:]]" "$CUPS_PDF_CONF"; then
    sed -i -E "s|^#?${key}[[:space:]].*|${key} ${value}|" "$CUPS_PDF_CONF"
  else
    echo "${key} ${value}" >>"$CUPS_PDF_CONF"
  fi
}

cups_env_up() {
  local out=$1
  mkdir -p "$out"
  chmod 1777 "$out"
  # Every job to one folder, whoever sends it, readable by all, named after its title with
  # the job number, so that two jobs of one document never overwrite each other.
  cups_set_pdf_option Out "$out"
  cups_set_pdf_option AnonDirName "$out"
  cups_set_pdf_option UserUMask 0000
  cups_set_pdf_option AnonUMask 0000
  cups_set_pdf_option Label 2
  # lpstat -r answers 0 whether or not the scheduler runs; only its text tells.
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    # No service manager here: the scheduler is started by hand and goes to the background.
    /usr/sbin/cupsd || return 1
    CUPS_STARTED_PID=$(pgrep -x -n cupsd || true)
  fi
  local i
  for i in $(seq 1 300); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
  lpstat -r 2>/dev/null | grep -q "is running" || { echo "cups-env: no scheduler" >&2; return 1; }
  cups_add_pdf_queue PDF || return 1
  lpadmin -d PDF
}

cups_add_pdf_queue() {
  lpadmin -p "$1" -E -v cups-pdf:/ -m "$CUPS_PDF_PPD"
}

cups_remove_queue() {
  lpadmin -x "$1" 2>/dev/null || true
}

cups_env_down() {
  if [ -n "$CUPS_STARTED_PID" ]; then
    kill "$CUPS_STARTED_PID" 2>/dev/null || true
    CUPS_STARTED_PID=""
  fi
}
