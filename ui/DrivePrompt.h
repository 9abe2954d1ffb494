// The installer's one question: the drive on which the main system is
// installed.
#pragma once

// Asks for the drive. Returns 1 when Install was pressed (or Enter), with
// Paths.Drive and Paths.ZipsFolder set from the entry; 0 when the prompt
// was cancelled, escaped or closed, with both left as they were.
int DrivePrompt();
