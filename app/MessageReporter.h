// The fixed message boxes of the installation's outcome.
#pragma once

#include "platform/Platform.h"

// Caption of the reporter's boxes and of the installer's own closing boxes.
const char kSetupCaption[] = "Tesmo Setup";

// The text for a message code: 1 non-fatal and 2 fatal expansion results,
// 3 shortcut failure, 4 Start-menu folder missing; any other code gives
// "Unknown error".
const char* ReportText(int code);

// Shows the code's text in an OK box owned by the main window, captioned
// "Tesmo Setup", and returns when it is closed.
void ReportMessage(Platform& platform, int code);
