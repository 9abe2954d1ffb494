#include "app/InstallSequence.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "archive/Expander.h"
#include "platform/AsciiCase.h"
#include "platform/ComposePath.h"
#include "shell/HelpFiles.h"
#include "shell/Shortcut.h"
#include "state/InstallerState.h"
#include "state/MessageReporter.h"

namespace {

// "<Drive>\": at most two characters of Drive and the separator.
char RootPath[8];
// Where an archive name is cut into a folder name.
char FolderNameBuffer[sizeof Paths.ArchiveName];

// The archive name up to its first "." as strtok cuts it (leading dots
// skipped), or null when no name is left. Cut afresh from the literal by
// every step that needs it.
const char* FolderNameOf(const char* archiveName) {
  if (!ComposePath(FolderNameBuffer, sizeof FolderNameBuffer, "%s", archiveName))
    return nullptr;
  return strtok(FolderNameBuffer, ".");
}

// The text composed in MessageText in a box of the main window with the
// platform's own caption, then the fatal box, then the end.
void StopFatally(Platform& platform) {
  platform.ShowMessage(BoxOwner::Program, MessageText, nullptr);
  ReportMessage(platform, kFatalError);
  platform.PostToMainWindow(kEndMessage);
}

// Writes the payload as the archive copy in the Zips folder. false after a
// fatal stop.
bool CopyPayload(Platform& platform, const uint8_t* bytes, size_t size) {
  const int error = platform.MakeFolder(Paths.ZipsFolder);
  // Only the last level is made, so this also finds a drive without the
  // main system's folder.
  if (error != 0 && error != EEXIST) {
    snprintf(MessageText, sizeof MessageText,
             "Unable to open %s folder ... Can't continue", Paths.ZipsFolder);
    StopFatally(platform);
    return false;
  }
  File* copy = ComposePath(MessageText, sizeof MessageText, "%s\\%s",
                           Paths.ZipsFolder, kAddonArchive)
                   ? platform.OpenWrite(MessageText)
                   : nullptr;
  if (!copy) {
    snprintf(MessageText, sizeof MessageText,
             "Unable to create main Zip file ... Can't continue");
    StopFatally(platform);
    return false;
  }
  // Write errors are not looked at: the expansion finds a bad copy.
  copy->Write(bytes, size, nullptr);
  delete copy;
  platform.ReleasePayload();
  return true;
}

// Expands ArchiveName from SourceFolder into |target|; a level that is not
// 0 is reported, and a fatal one stops the help Start-menu item later.
void ExpandAndReport(Platform& platform, ProgressSink& progress,
                     const char* target) {
  const ResultLevel level = ExpandIntoFolder(
      platform, progress, Paths.SourceFolder, Paths.ArchiveName, target);
  if (level == kLevelSuccess) return;
  ReportMessage(platform, level == kLevelFatal ? kFatalError : kNonFatalError);
  if (level == kLevelFatal) AbortRequested = 1;
}

// SourceFolder and ArchiveName; false when either would not fit.
bool SetSource(const char* folder, const char* archiveName) {
  return ComposePath(Paths.SourceFolder, sizeof Paths.SourceFolder, "%s",
                     folder) &&
         ComposePath(Paths.ArchiveName, sizeof Paths.ArchiveName, "%s",
                     archiveName);
}

}  // namespace

void RunInstall(Platform& platform, InstallWindows& windows) {
  if (!windows.AskForDrive()) {
    platform.PostToMainWindow(kEndMessage);
    return;
  }
  if (!ComposePath(RootPath, sizeof RootPath, "%s\\", Paths.Drive) ||
      !platform.DriveExists(RootPath)) {
    snprintf(MessageText, sizeof MessageText,
             "Drive %s does not seem to exist", Paths.Drive);
    StopFatally(platform);
    return;
  }
  size_t payloadSize = 0;
  const uint8_t* payload = platform.PayloadBytes(&payloadSize);
  // Without a payload the expansion reads whatever copy is already there.
  if (payload && payloadSize != 0 &&
      !CopyPayload(platform, payload, payloadSize))
    return;

  FilePause = -100;
  windows.OpenProgressWindow();
  ProgressSink& progress = windows.Progress();
  // Drive numbers count from A = 1. An empty entry (the current drive) or
  // one that is no letter names no drive to change to.
  const char letter = AsciiFoldUpper(Paths.Drive[0]);
  if (letter >= 'A' && letter <= 'Z') platform.ChangeDrive(letter - 'A' + 1);
  platform.ChangeFolder(RootPath);

  // A folder or source path that would not fit whole is refused: its step
  // is left out, as for an archive name without a folder name.
  const char* addon = FolderNameOf(kAddonArchive);
  const bool addonFolder = addon && ComposeAddonFolder(addon);
  if (addonFolder && SetSource(Paths.ZipsFolder, kAddonArchive)) {
    ExpandAndReport(platform, progress, Paths.AddonFolder);
    PlaceHelpFiles(platform, Paths.AddonFolder);
  }
  // The nested help archive came out of the add-on archive; this runs
  // whatever became of that.
  const char* help = FolderNameOf(kHelpArchive);
  if (addonFolder && help && SetSource(Paths.AddonFolder, kHelpArchive) &&
      ComposeHelpArchiveFolder(help))
    ExpandAndReport(platform, progress, Paths.HelpArchiveFolder);

  if (!AbortRequested && !MakeHelpStartMenuItem(platform, progress))
    ShortcutFailed = 1;
  if (const char* addon = FolderNameOf(kAddonArchive)) {
    if (!MakeAddonStartMenuItem(platform, progress, addon)) ShortcutFailed = 1;
    if (!ShortcutFailed) MakeAddonDesktopIcon(platform, progress, addon);
  }

  if (ShortcutFailed)
    platform.ShowMessage(
        BoxOwner::Program,
        "Start Menu or Desktop Items Aborted ... Main Installation should be OK",
        kSetupCaption);
  if (AbortRequested)
    platform.ShowMessage(BoxOwner::Program,
                         "Aborted ... Installation may not be complete",
                         kSetupCaption);
  platform.PostToMainWindow(kEndMessage);
}
