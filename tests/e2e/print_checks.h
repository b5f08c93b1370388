// Printing tests' side of a real printer: the PDFs that cups-pdf writes (scripts/e2e-print
// sets it up), poppler's tools run on the Unix side to read them, and a user at the print
// dialog on a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

// Where the PDFs land, as a Windows path with a trailing backslash: PRINT_OUT, else
// build/print-out beside the test's bin folder.
std::string OutFolder();
std::vector<std::string> PdfFiles();
// Waits for a PDF not in `before` and for its size to settle; "" when none comes.
std::string WaitForNewPdf(const std::vector<std::string>& before, unsigned timeoutMs);
int PdfPageCount(const std::string& pdf);
// pdftotext -layout of one page (0: all).
std::string PdfText(const std::string& pdf, int page = 0);
// Page 1 as a picture in the out folder: <name>.png.
void KeepPagePicture(const std::string& pdf, const std::string& name);

// Lines of pdftotext's output whose first word is `word`.
int LinesStartingWith(const std::string& text, const std::string& word);
int CountOf(const std::string& text, const std::string& what);

enum class DialogAnswer { Ok, Cancel };

// Waits for the "Print" dialog of a process, optionally picks a printer in it, answers it,
// then watches the job: the cancel box ("Ventrel" or "Palvio") and any error box, which it
// closes and keeps the text of. Watching ends with Finish (or any of the readers).
class PrintDialogUser {
 public:
  PrintDialogUser(DialogAnswer answer, DWORD processId, const char* errorCaption,
                  const std::string& choosePrinter = "");
  ~PrintDialogUser() { Finish(); }
  PrintDialogUser(const PrintDialogUser&) = delete;
  PrintDialogUser& operator=(const PrintDialogUser&) = delete;

  void Finish();
  bool Seen() { return Finish(), seen_; }
  // The printer the dialog showed when it opened.
  const std::string& ShownPrinter() { return Finish(), shownPrinter_; }
  bool CancelBoxSeen() { return Finish(), cancelBoxSeen_; }
  const std::string& ErrorText() { return Finish(), errorText_; }

 private:
  static std::string WindowText(HWND window);

  std::thread thread_;
  std::atomic<bool> done_{false};
  bool seen_ = false;
  bool cancelBoxSeen_ = false;
  std::string shownPrinter_;
  std::string errorText_;
};

}  // namespace e2e
