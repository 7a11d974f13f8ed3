#include "engine/PathRules.h"

#include "engine/GbkText.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

#ifndef _WIN64
using DisableRedirection = BOOL(WINAPI*)(PVOID*);
using RevertRedirection = BOOL(WINAPI*)(PVOID);

struct Redirection {
    DisableRedirection disable = nullptr;
    RevertRedirection revert = nullptr;
};

// 32-bit Windows XP has neither: nothing is redirected there.
const Redirection& RedirectionCalls() {
    static const Redirection calls = [] {
        Redirection found;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        auto disable = kernel ? GetProcAddress(kernel, "Wow64DisableWow64FsRedirection") : nullptr;
        auto revert = kernel ? GetProcAddress(kernel, "Wow64RevertWow64FsRedirection") : nullptr;
        if (disable && revert) {
            // Through void(*)() so that -Wcast-function-type accepts the cast.
            found.disable =
                reinterpret_cast<DisableRedirection>(reinterpret_cast<void (*)()>(disable));
            found.revert =
                reinterpret_cast<RevertRedirection>(reinterpret_cast<void (*)()>(revert));
        }
        return found;
    }();
    return calls;
}
#endif

// The system folder, its WoW64 twin and the alias by which a 32-bit program reaches
// the real one, each with a backslash after it; all empty where there is no twin
// (32-bit Windows) or a folder is not plain ASCII, which the byte-wise comparison needs.
struct SystemFolders {
    std::string native, wow64, sysnative;
};

bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

const SystemFolders& Folders() {
    static const SystemFolders folders = [] {
        SystemFolders found;
        char native[MAX_PATH], wow64[MAX_PATH];
        UINT n = GetSystemDirectoryA(native, sizeof native);
        UINT w = GetSystemWow64DirectoryA(wow64, sizeof wow64);
        if (n && n < sizeof native && w && w < sizeof wow64 && IsAscii(native) && IsAscii(wow64)) {
            found.native = std::string(native, n) + '\\';
            found.wow64 = std::string(wow64, w) + '\\';
            const size_t windows = found.native.rfind('\\', found.native.size() - 2);
            found.sysnative = found.native.substr(0, windows + 1) + "Sysnative\\";
        }
        return found;
    }();
    return folders;
}

// WoW64 redirects only the system folder and regedit.exe; a path naming neither is
// looked up as it is, sparing every other lookup the switch. Byte by byte: a match
// inside a double-byte character only switches needlessly.
bool MayBeRedirected(const char* text) {
    for (const char* p = text; *p; ++p)
        if (StartsWithNoCase(p, "system32") || StartsWithNoCase(p, "regedit")) return true;
    return false;
}

} // namespace

#ifdef _WIN64
// 64-bit programs are never redirected.
NativeFileSystem::NativeFileSystem(bool) {}
NativeFileSystem::~NativeFileSystem() {}
#else
NativeFileSystem::NativeFileSystem(bool needed) {
    const Redirection& calls = RedirectionCalls();
    // Fails in a 32-bit program on 32-bit Windows: nothing to revert then.
    m_off = needed && calls.disable && calls.disable(&m_old);
}

NativeFileSystem::~NativeFileSystem() {
    if (m_off) RedirectionCalls().revert(m_old);
}
#endif

unsigned DriveTypeCache::TypeOf(char letter) {
    int index = (letter | 0x20) - 'a';
    if (!m_known[index]) {
        char root[4] = {letter, ':', '\\', 0};
        m_types[index] = GetDriveTypeA(root);
        m_known[index] = true;
    }
    return m_types[index];
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithDrivePrefix(const char* text) {
    return text && IsAsciiLetter(text[0]) && text[1] == ':' && text[2] == '\\';
}

bool IsFixedDrivePath(const char* text, DriveTypeCache& drives) {
    if (!text || std::strlen(text) <= 2) return false;
    return StartsWithDrivePrefix(text) && drives.TypeOf(text[0]) == DRIVE_FIXED;
}

bool ExistsWithTwin(const char* text, bool (*exists)(const char*)) {
    if (!text) return false;
    const SystemFolders& folders = Folders(); // asked before redirection goes off
    NativeFileSystem native(MayBeRedirected(text));
    if (exists(text)) return true;
    // Where a 32-bit program finds it: its system32 is SysWOW64, its Sysnative system32.
    // A text shorter than a folder stops at its zero, which no folder byte matches.
    const bool inSystem = !folders.native.empty() && StartsWithNoCase(text, folders.native);
    const std::string& from = inSystem ? folders.native : folders.sysnative;
    const std::string& to = inSystem ? folders.wow64 : folders.native;
    if (from.empty() || !StartsWithNoCase(text, from)) return false;
    const char* rest = text + from.size();
    char twin[2048];
    size_t restSize = std::strlen(rest) + 1;
    if (to.size() + restSize > sizeof twin) return false;
    std::memcpy(twin, to.data(), to.size());
    std::memcpy(twin + to.size(), rest, restSize);
    return exists(twin);
}

bool LookupSaidNotFound() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return true;
    default:
        return false;
    }
}

bool PathExists(const char* text) {
    return ExistsWithTwin(text, [](const char* path) {
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES || !LookupSaidNotFound();
    });
}

bool IsMissingFixedPath(const char* text, DriveTypeCache& drives) {
    return IsFixedDrivePath(text, drives) && !PathExists(text);
}
