// The installer's one question: the drive on which the main system is
// installed.
#pragma once

// Asks for the drive. Returns 1 when Install was pressed (or Enter), with
// Paths.Drive and Paths.ZipsFolder set from the entry; 0 when the prompt
// was cancelled, escaped or closed, with both left as they were.
int DrivePrompt();

#ifndef _WIN32
// Host runs have no dialog. The stand-in prompt answers as if |entry| had
// been typed into the drive field and Install pressed; a null entry answers
// Cancel. Until this is called it presses Install on the field as shown
// (the current drive).
void SetDrivePromptAnswer(const char* entry);
#endif
