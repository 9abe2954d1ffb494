// The drive prompt's explanation of what goes where.
#pragma once

// Composes the instructions into MessageText and returns it.
const char* ComposeInstructions();
