// What the platform does for the program as a whole: the payload in the
// program's own resources, and messages to its hidden main window.
#include <windows.h>

#include "platform/AppHandles.h"
#include "platform/Win32Platform.h"

namespace {

// Found and loaded when the main window is created, used by the install
// sequence later.
HRSRC PayloadInfo = nullptr;
HGLOBAL PayloadData = nullptr;

}  // namespace

void Win32Platform::LocatePayload() {
  PayloadInfo = FindResourceA(AppInstance, "ZIP1", "ZIPFILE");
  PayloadData = PayloadInfo ? LoadResource(AppInstance, PayloadInfo) : nullptr;
}

const uint8_t* Win32Platform::PayloadBytes(size_t* size) {
  const void* bytes = PayloadData ? LockResource(PayloadData) : nullptr;
  // No payload reads as one of size 0, whatever the resource calls said.
  *size = bytes ? SizeofResource(AppInstance, PayloadInfo) : 0;
  return static_cast<const uint8_t*>(bytes);
}

void Win32Platform::ReleasePayload() {
  if (PayloadData) FreeResource(PayloadData);
}

void Win32Platform::PostToMainWindow(unsigned message) {
  PostMessageA(MainWindow, message, 0, 0);
}
