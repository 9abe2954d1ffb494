// The add-on's compiled help files copied into the main system's Help
// folder, the index file only when it is not older than the copy there.
#pragma once

#include "platform/Platform.h"

// Copies every "*.chm" of addonFolder to <Drive>\Quarn7\Help under its
// normalised name, replacing what is there; "Annexlist.chm" (any ASCII
// case) only when CompareFileTimes gives 0 or +1. The Help folder is never
// made, nothing is reported, and a name whose paths would not fit is
// skipped. Always 0.
int PlaceHelpFiles(Platform& platform, const char* addonFolder);

// The last-write times of two files, each opened with no access: -1 when
// the source is older or cannot be opened, 0 when they are equal or the
// destination cannot be opened, +1 when the source is newer.
int CompareFileTimes(Platform& platform, const char* source,
                     const char* destination);
