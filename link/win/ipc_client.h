// The program's one link to the simulator module: a named shared block announced to the
// simulator window by a registered message, and the error box both programs share.
// Process-wide state, used from the user-interface thread only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "link/request_block.h"

struct IpcSettings {
  int attempts;             // exchanges tried per batch
  unsigned pauseMs;         // wait after each failed exchange, the last one too
  bool nextNameWhenTaken;   // block name already in use: try the next counter, else fail
};

constexpr IpcSettings kVentrelIpcSettings = {10, 200, true};
constexpr IpcSettings kPalvioIpcSettings = {5, 200, false};

// Set once at start, before the first IpcOpen.
void IpcConfigure(const IpcSettings& settings);

bool IpcOpen(HWND simulator, size_t blockSize, unsigned timeoutMs);
// full = false parks the client: the view goes, the mapping, its name, the atom and the
// message id stay for the next IpcOpen.
void IpcClose(bool full);
void IpcRead(uint32_t offset, uint32_t size, void* destination);
void IpcWrite(uint32_t offset, uint32_t size, const void* source);
bool IpcProcess();
// One exchange of the block as it stands; true when the module answered 1.
bool IpcSend();

// The mapped block while open (null otherwise), for callers that lay out a batch themselves.
uint8_t* IpcView();
size_t IpcViewSize();
// Set once any message was not delivered or timed out; stays set for the run.
bool IpcDeliveryFailed();
// The client seen through the batch interface of the weather code.
IpcBatch& IpcClientBatch();

// The block's name and atom: "" and 0 while closed.
const char* IpcBlockName();
ATOM IpcAtom();

// The error box: caption per program, and what to do once the user closed it.
void ShowErrorConfigure(const char* caption, void (*afterClose)());
void ShowError(HWND owner, int code, const char* text);
