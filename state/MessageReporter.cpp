#include "state/MessageReporter.h"

const char* ReportText(MessageCode code) {
  switch (code) {
    case kNonFatalError:
      return "Non-fatal error occurred ... Installation may not be complete";
    case kFatalError:
      return "Fatal error occurred ... Check the cause and run again.";
    case kShortcutError:
      return "Start Menu or Desktop Icon error occurred ... The drawing files "
             "should have been installed correctly, but Start Menu or Desktop "
             "Icons may not have been. These items are a convenience and are "
             "not really necessary to run QUARN. You should be able to "
             "manually create them.";
    case kStartMenuMissing:
      return "Start menu folder not found in registry ... Start menu items "
             "will not be created";
    default:
      return "Unknown error";
  }
}

void ReportMessage(Platform& platform, MessageCode code) {
  platform.ShowMessage(BoxOwner::Program, ReportText(code), kSetupCaption);
}
