#pragma once

#include <windows.h>

// The program's module: set first thing by the entry point (tests set it to their own
// module), read by every window creation and resource load.
extern HINSTANCE g_hInstance;
