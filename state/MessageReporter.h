// The fixed message boxes of the installation's outcome.
#pragma once

#include "platform/Platform.h"

// Caption of the reporter's boxes and of the installer's own closing boxes.
const char kSetupCaption[] = "Tesmo Setup";

// The codes of the reporter's boxes. Any other value gives "Unknown error".
enum MessageCode : int {
  kNonFatalError = 1,     // an expansion was not fatal, but not clean either
  kFatalError = 2,        // an expansion or a step of the sequence was fatal
  kShortcutError = 3,     // a link could not be made
  kStartMenuMissing = 4,  // the shell folder of a link is not in the registry
};

// The text for a message code.
const char* ReportText(MessageCode code);

// Shows the code's text in an OK box owned by the main window, captioned
// "Tesmo Setup", and returns when it is closed.
void ReportMessage(Platform& platform, MessageCode code);
