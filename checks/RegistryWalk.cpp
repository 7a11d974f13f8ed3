#include "checks/RegistryWalk.h"

#include "engine/Handles.h"

#include <cstdio>
#include <cstring>

namespace {

// The data of one value and the room to expand it. The ANSI expansion wants one byte
// beyond the text and its zero, so 2048 bytes of result need 2049 of room.
struct ValueBuffers {
    char data[kRegTextSize];
    char expanded[kRegTextSize + 1];
};

// The text a value of this type and size gives, or null when it gives none or it
// does not fit. size is what the registry call returned: bytes past it are not data.
const char* TextOf(DWORD type, DWORD size, bool expand, ValueBuffers& buffers) {
    if (type != REG_SZ && !(type == REG_EXPAND_SZ && expand)) return nullptr;
    if (size > kRegTextSize) return nullptr;
    // Data may be stored without its terminating zero.
    if (!std::memchr(buffers.data, 0, size)) {
        if (size == kRegTextSize) return nullptr;
        buffers.data[size] = 0;
    }
    if (type == REG_SZ) return buffers.data;

    // Implementations differ on what they count (characters or bytes) and on the extra
    // byte; short of room some fill the buffer without a zero or stop a byte early. Only
    // a zero the call wrote itself within the first 2048 bytes proves that the whole
    // expansion is there and fits the text buffers everything else uses.
    std::memset(buffers.expanded, 1, sizeof buffers.expanded);
    DWORD length =
        ExpandEnvironmentStringsA(buffers.data, buffers.expanded, sizeof buffers.expanded);
    if (length == 0 || length > sizeof buffers.expanded ||
        !std::memchr(buffers.expanded, 0, kRegTextSize))
        return nullptr;
    return buffers.expanded;
}

bool CountOf(HKEY key, bool subkeys, DWORD& count) {
    count = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subkeys ? &count : nullptr, nullptr,
                            nullptr, subkeys ? nullptr : &count, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

} // namespace

void WalkValues(uint32_t root, const char* path, ValueRead mode, EntryVisitor visit) {
    RegKey key;
    DWORD count;
    if (!key.Open(root, path, KEY_READ) || !CountOf(key.Get(), false, count)) return;
    char name[kRegTextSize];
    ValueBuffers buffers;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = kRegTextSize;
        if (mode == ValueRead::NameOnly) {
            if (RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS)
                visit(name, nullptr);
            continue;
        }
        DWORD type = REG_NONE, size = kRegTextSize;
        if (RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(buffers.data), &size) != ERROR_SUCCESS)
            continue;
        if (const char* text = TextOf(type, size, mode == ValueRead::Text, buffers))
            visit(name, text);
    }
}

void WalkSubkeys(const SubkeyWalk& walk, EntryVisitor visit) {
    RegKey key;
    DWORD count;
    if (!key.Open(walk.root, walk.path, KEY_READ) || !CountOf(key.Get(), true, count)) return;
    char name[kRegTextSize];
    char subkeyPath[kRegTextSize];
    ValueBuffers buffers;
    for (DWORD i = 0; i < count; ++i) {
        if (walk.stopWatch && walk.stopWatch->stopRequested) return;
        DWORD nameLength = kRegTextSize;
        FILETIME written;
        if (RegEnumKeyExA(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, &written) !=
            ERROR_SUCCESS)
            continue;

        RegKey subkey;
        if (walk.subkeyFormat) {
            if (!FormatKeyPath(subkeyPath, walk.subkeyFormat, name) ||
                !subkey.Open(walk.root, subkeyPath, KEY_READ))
                continue;
        } else if (!subkey.Open(key.Get(), name, KEY_READ)) {
            continue;
        }
        DWORD type = REG_NONE, size = kRegTextSize;
        LONG read = RegQueryValueExA(subkey.Get(), walk.valueName, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffers.data), &size);
        subkey.Reset();
        if (read != ERROR_SUCCESS) continue;
        if (const char* text = TextOf(type, size, true, buffers)) visit(name, text);
    }
}

bool FormatKeyPath(char (&out)[kRegTextSize], const char* format, const char* name) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int length = std::snprintf(out, kRegTextSize, format, name);
#pragma GCC diagnostic pop
    return length >= 0 && static_cast<size_t>(length) < kRegTextSize;
}
