#include "engine/PathRules.h"

#include <windows.h>

#include <cstring>

unsigned DriveTypeCache::TypeOf(char letter) {
    int index = (letter | 0x20) - 'a';
    if (!m_known[index]) {
        char root[4] = {letter, ':', '\\', 0};
        m_types[index] = GetDriveTypeA(root);
        m_known[index] = true;
    }
    return m_types[index];
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithDrivePrefix(const char* text) {
    return text && IsAsciiLetter(text[0]) && text[1] == ':' && text[2] == '\\';
}

bool IsFixedDrivePath(const char* text, DriveTypeCache& drives) {
    if (!text || std::strlen(text) <= 2)
        return false;
    return StartsWithDrivePrefix(text) && drives.TypeOf(text[0]) == DRIVE_FIXED;
}

bool PathExists(const char* text) { return GetFileAttributesA(text) != INVALID_FILE_ATTRIBUTES; }

bool IsMissingFixedPath(const char* text, DriveTypeCache& drives) {
    return IsFixedDrivePath(text, drives) && !PathExists(text);
}
