#include "ui/PauseStart.h"

#include <climits>

#include "state/InstallerState.h"

int StartPause(Platform& platform, int ms) {
  if (ms >= 0) return ms;
  if (platform.EscapeKeyPressed()) AbortRequested = 1;
  return ms == INT_MIN ? INT_MAX : -ms;  // the one negative with no opposite
}
