#include "state/InstallerState.h"

#include <cstring>

#include "platform/ComposePath.h"
#include "state/WindowTitle.h"

int AbortRequested = 0;
int ShortcutFailed = 0;
int FilePause = 0;

InstallPaths Paths = {"C:", "", "", "", "", ""};

char MessageText[kMessageTextSize];

void AcceptDriveEntry(const char* entry) {
  // The field is read with room for two characters; the second is forced
  // to a colon whatever was typed there, so "D", "D:", "DX" and
  // "D:\Quarn7" all mean drive D:.
  Paths.Drive[0] = entry[0];
  Paths.Drive[1] = ':';
  Paths.Drive[2] = '\0';
  // Two characters and a constant: never too long.
  static_cast<void>(ComposePath(Paths.ZipsFolder, sizeof Paths.ZipsFolder, "%s\\%s",
                                Paths.Drive, kZipsSubPath));
}

bool ComposeAddonFolder(const char* folderName) {
  return ComposePath(Paths.AddonFolder, sizeof Paths.AddonFolder, "%s\\%s\\%s",
                     Paths.Drive, kMainFolder, folderName);
}

bool ComposeHelpArchiveFolder(const char* folderName) {
  return ComposePath(Paths.HelpArchiveFolder, sizeof Paths.HelpArchiveFolder,
                     "%s\\%s\\%s", Paths.Drive, kHelpSubPath, folderName);
}

void ResetInstallerState() {
  AbortRequested = 0;
  ShortcutFailed = 0;
  FilePause = 0;
  Paths = InstallPaths{};
  memcpy(Paths.Drive, "C:", 3);
  MessageText[0] = '\0';
  memcpy(WindowTitle, kProductTitle, sizeof kProductTitle);
}
