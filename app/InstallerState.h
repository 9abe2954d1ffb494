// Process-wide installer state shared by the subsystems. The installation
// runs once per process on its only thread, so these are plain variables.
#pragma once

// Set when Escape is down at a negative pause or an expansion is fatal.
// Never cleared.
extern int AbortRequested;
// Set when a Start-menu item fails. Never cleared.
extern int ShortcutFailed;
// The pause after each expanded file, in milliseconds; negative means the
// Escape key is sampled first. 0 until the install sequence sets it.
extern int FilePause;
