#include "print/win/print_job.h"

#include <cstring>

#include "link/win/ipc_client.h"
#include "print/win/cancel_box.h"
#include "print/win/print_setup.h"
#include "print/win/printer_font.h"

namespace {

// The printer's device context, deleted with its owner.
class PrinterDc {
 public:
  explicit PrinterDc(HDC dc) : dc_(dc) {}
  ~PrinterDc() {
    if (dc_) DeleteDC(dc_);
  }
  PrinterDc(const PrinterDc&) = delete;
  PrinterDc& operator=(const PrinterDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class DcSelection {
 public:
  DcSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~DcSelection() { SelectObject(dc_, previous_); }
  DcSelection(const DcSelection&) = delete;
  DcSelection& operator=(const DcSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class GdiSurface : public PrintSurface {
 public:
  GdiSurface(HWND owner, HDC dc, HFONT plain, HFONT bold)
      : owner_(owner), dc_(dc), plain_(plain), bold_(bold) {}

  bool StartPage() override {
    if (::StartPage(dc_) <= 0) {
      ShowError(owner_, int(GetLastError()), "in printing's StartPage");
      Abort();
      return false;
    }
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    return true;
  }
  void EndPage() override { ::EndPage(dc_); }
  void SelectFont(bool bold) override { SelectObject(dc_, bold ? bold_ : plain_); }
  void Text(int x, int y, const char* text, TextAlign align) override {
    SetTextAlign(dc_, (align == TextAlign::Right ? TA_RIGHT : TA_LEFT) | TA_TOP);
    TextOutA(dc_, x, y, text, int(strlen(text)));
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
  }
  void HorizontalLine(int x0, int x1, int y) override {
    MoveToEx(dc_, x0, y, nullptr);
    LineTo(dc_, x1, y);
  }
  HDC Dc() const { return dc_; }
  // Once only, whoever asks first: a failed page start has aborted already.
  void Abort() {
    if (aborted_) return;
    aborted_ = true;
    AbortDoc(dc_);
  }

 private:
  HWND owner_;
  HDC dc_;
  HFONT plain_;
  HFONT bold_;
  bool aborted_ = false;
};

void FinishDocument(HWND owner, HDC dc, GdiSurface& surface) {
  if (::EndPage(dc) <= 0) {
    ShowError(owner, int(GetLastError()), "in printing's EndPage");
    surface.Abort();
    return;
  }
  if (EndDoc(dc) <= 0) ShowError(owner, int(GetLastError()), "in printing's EndDoc");
}

void PrintDocument(const PrintJobSettings& settings, HDC dc, PrintPagesFunction printPages,
                   void* context) {
  const HWND owner = settings.mainWindow;
  const DeviceMetrics device = {GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                                GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  PrinterFont plain(
      CreatePrinterFont(dc, "Arial", settings.fontTenths, settings.fontTenths, 0, false));
  PrinterFont bold(
      CreatePrinterFont(dc, "Arial", settings.fontTenths, settings.fontTenths, 1, false));
  DcSelection fontSelection(dc, plain.Get());
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  PrintLayout layout = MakePrintLayout(
      device, {int(metrics.tmHeight), int(metrics.tmExternalLeading), int(metrics.tmAveCharWidth)});

  EnableWindow(owner, FALSE);
  printCancelled = false;
  OpenCancelBox(owner, settings.boxCaption, settings.onBoxDestroyed);
  SetAbortProc(dc, PrintAbortProc);

  DOCINFOA document = {};
  document.cbSize = sizeof document;
  document.lpszDocName = settings.documentName;
  if (StartDocA(dc, &document) <= 0) {
    ShowError(owner, int(GetLastError()), "in printing's StartDoc");
    return;
  }
  GdiSurface surface(owner, dc, plain.Get(), bold.Get());
  if (printPages(surface, layout, context))
    FinishDocument(owner, dc, surface);
  else
    surface.Abort();
}

void RunOneJob(const PrintJobSettings& settings, PrintPagesFunction printPages, void* context) {
  HDC chosen = nullptr;
  if (!ChoosePrinter(settings.mainWindow, &chosen)) {
    ReportPrintDialogFailure(settings.mainWindow);
    return;
  }
  {
    PrinterDc dc(chosen);
    PrintDocument(settings, dc.Get(), printPages, context);
  }
  // After a Cancel the box has enabled the window and gone already.
  if (!printCancelled) {
    EnableWindow(settings.mainWindow, TRUE);
    DestroyCancelBox();
  }
}

}  // namespace

HDC PrintJobDc(PrintSurface& surface) { return static_cast<GdiSurface&>(surface).Dc(); }

void RunPrintJob(const PrintJobSettings& settings, PrintPagesFunction printPages, void* context) {
  // One job at a time: a picture window prints without disabling the main window, whose
  // own Print would otherwise start a second job inside the first one's cancel box.
  static bool running = false;
  if (running) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  running = true;
  RunOneJob(settings, printPages, context);
  running = false;
}
