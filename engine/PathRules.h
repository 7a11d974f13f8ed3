// Whether a text read from the registry names a file that is gone.
#pragma once

// GetDriveTypeA is slow under some hosts and the answer does not change during a
// scan: each check asks once per letter.
class DriveTypeCache {
public:
    unsigned TypeOf(char letter);

private:
    unsigned m_types[26] = {};
    bool m_known[26] = {};
};

bool IsAsciiLetter(char c);
// A letter, a colon and a backslash.
bool StartsWithDrivePrefix(const char* text);

// Letter, colon, backslash, on a fixed local disk.
bool IsFixedDrivePath(const char* text, DriveTypeCache& drives);
// Under WoW64 a 32-bit program's lookups in the system folder land in SysWOW64. While
// one of these lives, this thread's lookups see the native file system instead; keep it
// around lookups only, nothing else may load from the system folder meanwhile.
class NativeFileSystem {
public:
    // needed false: nothing to do, for a path that WoW64 would not redirect anyway.
    explicit NativeFileSystem(bool needed = true);
    ~NativeFileSystem();
    NativeFileSystem(const NativeFileSystem&) = delete;
    NativeFileSystem& operator=(const NativeFileSystem&) = delete;

private:
#ifndef _WIN64
    void* m_old = nullptr;
    bool m_off = false;
#endif
};

// Whether exists(text) holds on the native file system or, for a text in the system
// folder, at the same place in the WoW64 one: an entry read from the 32-bit registry
// view means the latter.
bool ExistsWithTwin(const char* text, bool (*exists)(const char*));
// Whether the lookup that just failed said that nothing is there: the file or a folder
// on its path does not exist, or the name can never exist. Any other failure (access
// denied, a drive not ready, a loop of links) cannot tell, and the path counts as there.
bool LookupSaidNotFound();
// Anything GetFileAttributesA can see, folders included, or cannot tell, by ExistsWithTwin.
bool PathExists(const char* text);
// The path rule every check shares: on a fixed disk and not there.
bool IsMissingFixedPath(const char* text, DriveTypeCache& drives);
