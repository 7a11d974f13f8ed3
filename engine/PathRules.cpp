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

namespace {

// Case-insensitive search for a lower-case ASCII needle.
const char* FindNoCase(const char* text, const char* needle) {
    size_t n = std::strlen(needle);
    for (const char* p = text; *p; ++p) {
        size_t i = 0;
        while (i < n && p[i] && (p[i] | (IsAsciiLetter(p[i]) ? 0x20 : 0)) == needle[i])
            ++i;
        if (i == n)
            return p;
    }
    return nullptr;
}

} // namespace

size_t ProgramPathLength(const char* text) {
    if (!StartsWithDrivePrefix(text))
        return 0;
    const char* end = FindNoCase(text + 3, ".exe");
    if (!end)
        end = FindNoCase(text + 3, ".bat");
    if (end)
        return static_cast<size_t>(end + 4 - text);
    // A program without either extension ends at the first space or control byte;
    // GBK bytes are part of the name here.
    size_t n = 0;
    while (text[n] && static_cast<unsigned char>(text[n]) > 0x20)
        ++n;
    return n;
}
