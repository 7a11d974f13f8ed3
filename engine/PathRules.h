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
// Anything GetFileAttributesA can see, folders included.
bool PathExists(const char* text);
// The path rule every check shares: on a fixed disk and not there.
bool IsMissingFixedPath(const char* text, DriveTypeCache& drives);
