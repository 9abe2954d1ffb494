#include "app/MessageReporter.h"

const char* ReportText(int code) {
  switch (code) {
    case 1:
      return "Non-fatal error occurred ... Installation may not be complete";
    case 2:
      return "Fatal error occurred ... Check the cause and run again.";
    case 3:
      return "Start Menu or Desktop Icon error occurred ... The drawing files "
             "should have been installed correctly, but Start Menu or Desktop "
             "Icons may not have been. These items are a convenience and are "
             "not really necessary to run QUARN. You should be able to "
             "manually create them.";
    case 4:
      return "Start menu folder not found in registry ... Start menu items "
             "will not be created";
    default:
      return "Unknown error";
  }
}

void ReportMessage(Platform& platform, int code) {
  platform.ShowMessage(BoxOwner::MainWindow, ReportText(code), kSetupCaption);
}
