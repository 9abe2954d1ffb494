#include "app/InstallerState.h"

int AbortRequested = 0;
int ShortcutFailed = 0;
int FilePause = 0;
