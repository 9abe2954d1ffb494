// The installer's three shortcuts and the shell link call that makes each.
// Boxes are owned by the main window and captioned "Tesmo Setup".
#pragma once

#include "platform/Platform.h"
#include "state/ProgressSink.h"

// Writes one link file through the shell's link object: target, description
// and working directory set, saved at linkPath. Each failing step shows its
// box, followed by "Failed to create shortcut" unless COM itself could not
// be initialised. The result of the last step: negative on failure.
ComResult CreateShortcut(Platform& platform, const char* target,
                         const char* linkPath, const char* description,
                         const char* workingFolder);

// The recipes. Each looks up its shell folder and, when it is missing,
// reports code 4 and touches nothing; otherwise it shows its status text,
// pauses 500 ms, makes the one-level subfolder and the link. A link that
// fails is reported with code 3. 1 when the link was made, else 0.
//
// "QUARN 7 Help.lnk" in the Start menu's "Programs\Quarn 7", starting
// <Drive>\Quarn7\Dochost7.exe in <Drive>\Quarn7.
int MakeHelpStartMenuItem(Platform& platform, ProgressSink& progress);
// "<addonName>.lnk" in the Start menu's "Programs\Quarn 7", starting
// <Drive>\Quarn7\Quarn7.exe in <Drive>\Quarn7\<addonName>.
int MakeAddonStartMenuItem(Platform& platform, ProgressSink& progress,
                           const char* addonName);
// The same link directly on the desktop.
int MakeAddonDesktopIcon(Platform& platform, ProgressSink& progress,
                         const char* addonName);
