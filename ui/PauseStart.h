// What every pause does before it waits, on Windows and on the host.
#pragma once

#include "platform/Platform.h"

// A negative duration asks for the Escape key to be looked at once, before
// the wait: if it is down, or was pressed since the last look,
// AbortRequested is set. Returns how long to wait: the absolute value.
int StartPause(Platform& platform, int ms);
