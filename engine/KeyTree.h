// The one walk of a registry key and everything below it: the fix deletes a key item
// with it, the backup copies one, and the scan checks that a copy would restore one
// exactly. Names and data come through the W functions, so nothing is read as a
// look-alike; a tree nested deeper than kMaxKeyDepth is refused.
#pragma once

#include <windows.h>

#include <string>

// The types whose data the A functions convert: what a copy must hold exactly.
inline bool IsStoredText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class KeyTreeVisitor {
public:
    // A key reached, with the counts the registry reports for it; false ends the walk.
    virtual bool EnterKey(HKEY key, const std::wstring& name, DWORD values, DWORD subkeys) = 0;
    // Each of its values, its data as stored, before its subkeys.
    virtual bool Value(const wchar_t* name, DWORD nameLength, DWORD type, const BYTE* data,
                       DWORD size) = 0;
    // After its subkeys, with the key closed: the moment to delete it.
    virtual bool LeaveKey(HKEY /*parent*/, const std::wstring& /*name*/) { return true; }

protected:
    ~KeyTreeVisitor() = default;
};

// Walks parent\name and below, each key opened with access. False when a key or value
// cannot be read or changes under the walk, the tree is too deep, or a visit says so.
bool WalkKeyTree(HKEY parent, const std::wstring& name, REGSAM access, KeyTreeVisitor& visitor);
