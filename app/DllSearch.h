// Where the program may load DLLs from at run time.
#pragma once

// Limits the search for every DLL loaded from here on (the theme library
// of the common controls, COM servers, and what those load) to System32,
// so a DLL of the same name beside the program, say in a Downloads folder,
// is never picked up. Does nothing on a system without the call.
void RestrictDllSearchToSystem32();
