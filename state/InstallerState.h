// Process-wide installer state shared by the subsystems. The installation
// runs once per process on its only thread, so these are plain variables.
// With WindowTitle (WindowTitle.h) they are all the values an installation
// changes; ResetInstallerState puts them back as a process starts.
#pragma once

// Set when Escape is down at a negative pause or an expansion is fatal.
// Never cleared.
extern int AbortRequested;
// Set when a Start-menu item fails. Never cleared.
extern int ShortcutFailed;
// The pause after each expanded file, in milliseconds; negative means the
// Escape key is sampled first. 0 until the install sequence sets it.
extern int FilePause;

// The main system's folders below the drive root, and the archives this
// installer brings. Nothing else is configurable.
const char kMainFolder[] = "Quarn7";
const char kZipsSubPath[] = "Quarn7\\Zips";
const char kHelpSubPath[] = "Quarn7\\Help";
const char kAddonArchive[] = "Tesmo.zip";
const char kHelpArchive[] = "Tesmohelp.zip";

const int kInstallPathSize = 256;

// The path strings of the one installation, composed from the chosen drive.
struct InstallPaths {
  // At most two characters, the second always ":" once the prompt has
  // been answered; "C:" until then, "" when nothing was typed.
  char Drive[4];
  char ZipsFolder[kInstallPathSize];         // "<Drive>\Quarn7\Zips"
  char AddonFolder[kInstallPathSize];        // "<Drive>\Quarn7\<add-on name>"
  char HelpArchiveFolder[kInstallPathSize];  // "<Drive>\Quarn7\Help\<help name>"
  // The folder and file name of the archive being expanded.
  char SourceFolder[kInstallPathSize];
  char ArchiveName[64];
};

extern InstallPaths Paths;

// The 1024-byte text buffer in which the drive prompt's instructions and the
// install sequence's messages are composed.
const int kMessageTextSize = 1024;
extern char MessageText[kMessageTextSize];

// Takes the drive from what was typed in the drive field: only the first
// character counts, taken as typed (no upper-casing, no check); the second
// is always ":". An empty entry leaves Drive empty. Then builds ZipsFolder.
void AcceptDriveEntry(const char* entry);

// AddonFolder = "<Drive>\Quarn7\<folderName>". false when it would not fit:
// the folder is refused, not cut.
bool ComposeAddonFolder(const char* folderName);
// HelpArchiveFolder = "<Drive>\Quarn7\Help\<folderName>", or false.
bool ComposeHelpArchiveFolder(const char* folderName);

// The flags, FilePause, Paths, MessageText and WindowTitle as at the start
// of the process, for whoever runs the installation more than once: tests.
void ResetInstallerState();
