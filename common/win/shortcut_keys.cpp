#include "common/win/shortcut_keys.h"

bool TranslateShortcutKey(HWND mainWindow, HACCEL keys, MSG* message) {
  if (!keys || !mainWindow || !message->hwnd) return false;
  if (message->hwnd != mainWindow && GetAncestor(message->hwnd, GA_ROOT) != mainWindow)
    return false;
  return TranslateAcceleratorA(mainWindow, keys, message) != 0;
}

bool MenuCommandGrayed(HWND mainWindow, UINT id) {
  const UINT state = GetMenuState(GetMenu(mainWindow), id, MF_BYCOMMAND);
  return state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)) != 0;
}
