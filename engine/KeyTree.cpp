#include "engine/KeyTree.h"

#include "engine/Handles.h"
#include "engine/ProblemItem.h"

#include <algorithm>
#include <vector>

namespace {

bool WalkKey(HKEY parent, const std::wstring& name, REGSAM access, KeyTreeVisitor& visitor,
             int depth) {
    if (depth > kMaxKeyDepth) return false;
    {
        RegKey key;
        DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
        // A link is opened as itself, never as the key it leads to.
        if (RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access | kPathView,
                          key.Put()) != ERROR_SUCCESS ||
            RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                             &values, &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS ||
            !visitor.EnterKey(key.Get(), name, values, subkeys))
            return false;
        std::vector<wchar_t> text(std::max(maxSubkey, maxName) + 1);
        std::vector<BYTE> data(size_t{maxData} + sizeof(wchar_t));
        for (DWORD i = 0; i < values; ++i) {
            DWORD length = static_cast<DWORD>(text.size()), type = REG_NONE,
                  size = static_cast<DWORD>(data.size());
            // A link's target lies outside the tree: a tree holding one is not walked.
            if (RegEnumValueW(key.Get(), i, text.data(), &length, nullptr, &type, data.data(),
                              &size) != ERROR_SUCCESS ||
                type == REG_LINK || !visitor.Value(text.data(), length, type, data.data(), size))
                return false;
        }
        // All named before any is visited: a visit may delete its key.
        std::vector<std::wstring> names;
        names.reserve(subkeys);
        for (DWORD i = 0; i < subkeys; ++i) {
            DWORD length = static_cast<DWORD>(text.size());
            if (RegEnumKeyExW(key.Get(), i, text.data(), &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                return false;
            names.emplace_back(text.data(), length);
        }
        for (const std::wstring& child : names)
            if (!WalkKey(key.Get(), child, access, visitor, depth + 1)) return false;
    }
    return visitor.LeaveKey(parent, name);
}

} // namespace

bool WalkKeyTree(HKEY parent, const std::wstring& name, REGSAM access, KeyTreeVisitor& visitor) {
    return WalkKey(parent, name, access, visitor, 1);
}
