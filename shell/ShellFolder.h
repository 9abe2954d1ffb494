// The current user's special folders from the registry: the named values of
// the key "Shell Folders" under HKEY_CURRENT_USER's
// Software\Microsoft\Windows\CurrentVersion\Explorer, reached one key at
// a time by enumeration.
#pragma once

#include "platform/Platform.h"

// Names, data and the result: at most 127 characters and the terminator.
const int kShellFolderSize = 128;

// The folder path stored under valueName ("Start Menu", "Desktop"), or null.
// The text sits in one buffer that the next successful lookup overwrites.
// Every key opened is closed again; nothing is reported.
const char* LookupShellFolder(Platform& platform, const char* valueName);

// The data of the value valueName of an open key as text, or null when the
// key has no such value or its data do not fit whole with a terminator.
const char* ReadValueByName(Platform& platform, RegistryKey key,
                            const char* valueName);
