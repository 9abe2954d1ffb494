// The archive walk: expands a ZIP archive from its local headers into a
// folder, checks CRC and length of every file and restores its time stamp.
#pragma once

#include "platform/Platform.h"
#include "app/ProgressSink.h"

// Severity of an expansion: 0 success, 1 not fatal (the installation may be
// incomplete), 2 fatal. Combined by taking the larger.
typedef int ResultLevel;

// Creates targetFolder (last component only), enters it and expands
// "<sourceFolder>\<archiveName>" into it. A target folder that cannot be
// entered gives 0 with nothing done.
ResultLevel ExpandIntoFolder(Platform& platform, ProgressSink& progress,
                             const char* sourceFolder, const char* archiveName,
                             const char* targetFolder);

// Expands the archive at archivePath; targetPrefix ("<folder>\") is put in
// front of every entry name.
ResultLevel ExpandArchive(Platform& platform, ProgressSink& progress,
                          const char* archivePath, const char* targetPrefix);
