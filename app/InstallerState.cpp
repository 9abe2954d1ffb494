#include "app/InstallerState.h"

#include <cstdio>

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
  snprintf(Paths.ZipsFolder, sizeof Paths.ZipsFolder, "%s\\%s", Paths.Drive,
           kZipsSubPath);
}

void ComposeAddonFolder(const char* folderName) {
  snprintf(Paths.AddonFolder, sizeof Paths.AddonFolder, "%s\\%s\\%s",
           Paths.Drive, kMainFolder, folderName);
}

void ComposeHelpArchiveFolder(const char* folderName) {
  snprintf(Paths.HelpArchiveFolder, sizeof Paths.HelpArchiveFolder,
           "%s\\%s\\%s", Paths.Drive, kHelpSubPath, folderName);
}
