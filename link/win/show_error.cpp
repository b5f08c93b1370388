#include "link/error_text.h"
#include "link/win/ipc_client.h"

namespace {

const char* errorCaption = nullptr;
void (*errorAfterClose)() = nullptr;

}  // namespace

void ShowErrorConfigure(const char* caption, void (*afterClose)()) {
  errorCaption = caption;
  errorAfterClose = afterClose;
}

void ShowError(HWND owner, int code, const char* text) {
  char message[kErrorTextSize];
  FormatErrorText(message, sizeof message, code, text);
  MessageBoxA(owner, message, errorCaption, MB_OK | MB_ICONEXCLAMATION);
  if (errorAfterClose) errorAfterClose();
}
