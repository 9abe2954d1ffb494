// The caption of the visible dialogs: the product title and the date of the
// installer's own file.
#pragma once

#include "platform/Platform.h"

const char kProductTitle[] = "Tesmo Tutorial Setup";
const int kWindowTitleSize = 256;

// "Tesmo Tutorial Setup" until BuildWindowTitle adds the date.
extern char WindowTitle[kWindowTitleSize];

// Sets WindowTitle to "Tesmo Tutorial Setup   M/D/YYYY" with the local date
// of the file's last write. A file whose time cannot be read leaves the
// title as it is. Returns WindowTitle.
const char* BuildWindowTitle(Platform& platform, const char* fileName);
