#include "ui/PauseStart.h"

#include "app/InstallerState.h"

int StartPause(Platform& platform, int ms) {
  if (ms >= 0) return ms;
  if (platform.EscapeKeyPressed()) AbortRequested = 1;
  return -ms;
}
