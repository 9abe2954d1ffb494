// The platform of this process: Win32Platform on Windows, HostPlatform on
// Linux. Each implementation file defines it, so portable code reaches the
// operating system without naming either.
#pragma once

#include "platform/Platform.h"

Platform& DefaultPlatform();
