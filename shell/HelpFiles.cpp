#include "shell/HelpFiles.h"

#include "platform/AsciiCase.h"
#include "platform/ComposePath.h"
#include "platform/NormalisePath.h"
#include "state/InstallerState.h"

namespace {

const char kHelpPattern[] = "*.chm";
// The add-on's index help file, copied only over an older or equal copy.
const char kIndexHelpFile[] = "Annexlist.chm";

char SearchPattern[kPathSize];
char SourcePath[kPathSize];
char DestinationPath[kPathSize];

void PlaceHelpFile(Platform& platform, const char* addonFolder,
                   const char* found) {
  // A name too long for either path is skipped rather than cut to some
  // other file's name.
  const char* name = NormalisePath(found);
  if (!ComposePath(SourcePath, sizeof SourcePath, "%s\\%s", addonFolder,
                   name) ||
      !ComposePath(DestinationPath, sizeof DestinationPath, "%s\\%s\\%s",
                   Paths.Drive, kHelpSubPath, name))
    return;
  if (SameIgnoringAsciiCase(found, kIndexHelpFile) &&
      CompareFileTimes(platform, SourcePath, DestinationPath) < 0)
    return;
  platform.CopyFileReplacing(SourcePath, DestinationPath);
}

}  // namespace

int PlaceHelpFiles(Platform& platform, const char* addonFolder) {
  if (!ComposePath(SearchPattern, sizeof SearchPattern, "%s\\%s", addonFolder,
                   kHelpPattern))
    return 0;
  FileSearch* search = platform.FindFirst(SearchPattern);
  if (!search) return 0;
  do {
    PlaceHelpFile(platform, addonFolder, search->Name());
  } while (search->Next());
  delete search;
  return 0;
}

int CompareFileTimes(Platform& platform, const char* source,
                     const char* destination) {
  TimeHandle* from = platform.OpenForTimes(source);
  if (!from) return -1;
  TimeHandle* to = platform.OpenForTimes(destination);
  if (!to) {
    delete from;
    return 0;
  }
  // As with GetFileTime, a time that cannot be read is not told apart.
  FileTime sourceTime = 0, destinationTime = 0;
  from->LastWriteTime(&sourceTime);
  to->LastWriteTime(&destinationTime);
  const int order = sourceTime < destinationTime   ? -1
                    : sourceTime > destinationTime ? 1
                                                   : 0;
  delete from;
  delete to;
  return order;
}
