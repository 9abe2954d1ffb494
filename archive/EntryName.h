#pragma once

// Whether an archive entry name may be written below the target folder: it
// must name a file right inside that folder, in a form Windows accepts.
bool NameIsSafe(const char* name);
