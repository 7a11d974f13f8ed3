// What the program does before anything else: it runs elevated from folders anyone can
// write, and hands every text to the A functions as code page 936.
#pragma once

#include <windows.h>

// No DLL from the program's own folder or the current one, from here on: only the
// system folder serves names that are not KnownDLLs.
void LimitDllSearchToSystemFolder();

// A DLL from the system folder and nowhere else, whatever the search order: by the
// loader's flag where it knows it, else by its full path. Null when it is not there.
HMODULE LoadSystemDll(const wchar_t* name);

// True under code page 936. Otherwise says why (a message box, or the console for a
// console program), in Chinese and English, and the caller ends with exit code 1
// having read and written nothing: a name converted to 936 and read back in another
// code page could address another registry entry.
bool RequireCodePage936(bool console);
