#pragma once

#include <windows.h>

#include <string>

// The program's module: set first thing by the entry point (tests set it to their own
// module), read by every window creation and resource load.
extern HINSTANCE g_hInstance;

// The folder of the program's own file, ending in a backslash; empty when its path
// cannot be had whole (a cut path would name some other folder).
std::string ProgramFolder();
