// The whole installation, from the drive prompt to the closing boxes.
#pragma once

#include "platform/Platform.h"
#include "state/InstallWindows.h"

// WM_DESTROY: what the sequence posts to the main window when it ends,
// which ends the program.
const unsigned kEndMessage = 2;

// Runs the installation once: asks for the drive, checks it, writes the
// payload as "Tesmo.zip" into the Zips folder, opens the progress window,
// expands the add-on archive and the nested help archive, places the help
// files, makes the Start-menu and desktop items and shows the closing
// boxes. Every path, cancelled and failed ones included, ends by posting
// kEndMessage to the main window.
void RunInstall(Platform& platform, InstallWindows& windows);
