#include "app/InstallerState.h"
#include "ui/DrivePrompt.h"

namespace {

bool answered = false;
const char* answer = nullptr;

}  // namespace

void SetDrivePromptAnswer(const char* entry) {
  answered = true;
  answer = entry;
}

int DrivePrompt() {
  if (!answered) {
    // The field shows the current drive; read it back as the dialog would.
    AcceptDriveEntry(Paths.Drive);
    return 1;
  }
  if (!answer) return 0;
  AcceptDriveEntry(answer);
  return 1;
}
