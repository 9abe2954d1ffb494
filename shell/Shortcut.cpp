#include "shell/Shortcut.h"

#include <cstdio>

#include "platform/ComposePath.h"
#include "shell/ShellFolder.h"
#include "state/InstallerState.h"
#include "state/MessageReporter.h"

namespace {

const char kDescription[] = "QUARN Drawing";
const char kProgramsSubfolder[] = "Programs\\Quarn 7";
const int kShortcutPause = 500;

// What tells one recipe from another.
struct Recipe {
  const char* shellFolder;   // the Shell Folders value
  char* folder;              // where the looked-up folder is kept
  const char* statusFormat;  // "%s" takes the add-on name
  const char* subfolder;     // below the shell folder, may be empty
  const char* linkName;      // before ".lnk"; null for the add-on name
  const char* target;        // below the drive
  bool inAddonFolder;        // works in <Drive>\Quarn7\<add-on name>
};

// The looked-up folders, kept per kind until the next recipe of that kind.
char StartMenuFolder[kShellFolderSize];
char DesktopFolder[kShellFolderSize];

const Recipe kHelpItem = {"Start Menu", StartMenuFolder,
                          "Creating Help Start Menu Item", kProgramsSubfolder,
                          "QUARN 7 Help", "Quarn7\\Dochost7.exe", false};
const Recipe kAddonItem = {"Start Menu", StartMenuFolder,
                           "Creating %s Start Menu Item", kProgramsSubfolder,
                           nullptr, "Quarn7\\Quarn7.exe", true};
const Recipe kAddonIcon = {"Desktop", DesktopFolder, "Creating %s Desktop Icon",
                           "", nullptr, "Quarn7\\Quarn7.exe", true};

// The texts and paths of the recipe being made.
char StatusText[kPathSize];
char SubfolderPath[kPathSize];
char LinkPath[kPathSize];
char TargetPath[kPathSize];
char WorkingFolder[kPathSize];

void ShowShortcutBox(Platform& platform, const char* text) {
  platform.ShowMessage(BoxOwner::Program, text, kSetupCaption);
}

// Every path of the recipe, whole; false when any would not fit.
bool ComposeRecipePaths(const Recipe& r, const char* addonName) {
  const bool working =
      r.inAddonFolder ? ComposePath(WorkingFolder, sizeof WorkingFolder,
                                    "%s\\%s\\%s", Paths.Drive, kMainFolder,
                                    addonName)
                      : ComposePath(WorkingFolder, sizeof WorkingFolder,
                                    "%s\\%s", Paths.Drive, kMainFolder);
  return ComposePath(SubfolderPath, sizeof SubfolderPath, "%s\\%s", r.folder,
                     r.subfolder) &&
         ComposePath(LinkPath, sizeof LinkPath, "%s\\%s\\%s.lnk", r.folder,
                     r.subfolder, r.linkName ? r.linkName : addonName) &&
         ComposePath(TargetPath, sizeof TargetPath, "%s\\%s", Paths.Drive,
                     r.target) &&
         working;
}

int MakeShortcut(Platform& platform, ProgressSink& progress, const Recipe& r,
                 const char* addonName) {
  const char* found = LookupShellFolder(platform, r.shellFolder);
  if (!found) {
    ReportMessage(platform, kStartMenuMissing);
    return 0;
  }
  snprintf(r.folder, kShellFolderSize, "%s", found);
  snprintf(StatusText, sizeof StatusText, r.statusFormat, addonName);
  progress.SetStatus(StatusText);
  progress.Pause(kShortcutPause);
  // A path that would be cut names the wrong place: no link rather than
  // one there.
  if (ComposeRecipePaths(r, addonName)) {
    // Only the last level is made; an existing folder is normal.
    platform.MakeFolder(SubfolderPath);
    if (CreateShortcut(platform, TargetPath, LinkPath, kDescription,
                       WorkingFolder) >= 0)
      return 1;
  }
  ReportMessage(platform, kShortcutError);
  return 0;
}

}  // namespace

ComResult CreateShortcut(Platform& platform, const char* target,
                         const char* linkPath, const char* description,
                         const char* workingFolder) {
  ComResult result = platform.ComInitialize();
  if (result < 0) {
    ShowShortcutBox(platform, "Failed to initialize COM system");
    return result;
  }
  ShellLinkObject* link = nullptr;
  result = platform.CreateShellLink(&link);
  if (result < 0) {
    ShowShortcutBox(platform, "Failed at create instance");
  } else {
    link->SetPath(target);
    link->SetDescription(description);
    link->SetWorkingDirectory(workingFolder);
    result = link->QueryPersistFile();
    if (result < 0) {
      ShowShortcutBox(platform, "Failed at query interface");
    } else {
      result = link->Save(linkPath);
      if (result < 0) ShowShortcutBox(platform, "Failed at save shortcut");
      link->ReleasePersistFile();
    }
    link->Release();
  }
  if (result < 0) ShowShortcutBox(platform, "Failed to create shortcut");
  platform.ComUninitialize();
  return result;
}

int MakeHelpStartMenuItem(Platform& platform, ProgressSink& progress) {
  return MakeShortcut(platform, progress, kHelpItem, "");
}

int MakeAddonStartMenuItem(Platform& platform, ProgressSink& progress,
                           const char* addonName) {
  return MakeShortcut(platform, progress, kAddonItem, addonName);
}

int MakeAddonDesktopIcon(Platform& platform, ProgressSink& progress,
                         const char* addonName) {
  return MakeShortcut(platform, progress, kAddonIcon, addonName);
}
