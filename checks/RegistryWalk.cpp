#include "checks/RegistryWalk.h"

#include "engine/KeyTree.h"

#include "engine/Handles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

// What one value gives: its name and data as stored, the stages of an expansion and
// the code page 936 forms. Whatever fits 2048 bytes there fits 2048 units here.
struct ValueBuffers {
    wchar_t name[kRegTextSize];
    wchar_t data[kRegTextSize + 1]; // room for a zero the data was stored without
    wchar_t renamed[kRegTextSize];
    wchar_t expanded[kRegTextSize];
    char nameText[kRegTextSize];
    char text[2][kRegTextSize]; // the native reading, then the 32-bit one
};
constexpr DWORD kDataBytes = kRegTextSize * sizeof(wchar_t);

// The variables that name the program folders read differently for 64-bit and for 32-bit
// programs, whichever this build is: each is renamed to one reading's own where
// Windows has it.
struct ProgramFolder {
    const wchar_t* name;
    const wchar_t* native;
    const wchar_t* for32Bit;
};
constexpr ProgramFolder kProgramFolders[] = {
    {L"ProgramFiles", L"ProgramW6432", L"ProgramFiles(x86)"},
    {L"CommonProgramFiles", L"CommonProgramW6432", L"CommonProgramFiles(x86)"},
};

// Pairs the percent signs as the expansion does, left to right.
bool RenameProgramFolders(const wchar_t* text, bool for32Bit, wchar_t (&out)[kRegTextSize]) {
    size_t n = 0;
    auto append = [&](const wchar_t* from, size_t count) {
        if (n + count >= kRegTextSize) return false;
        std::wmemcpy(out + n, from, count);
        n += count;
        return true;
    };
    for (const wchar_t* p = text; *p;) {
        const wchar_t* close = *p == L'%' ? std::wcschr(p + 1, L'%') : nullptr;
        if (!close) {
            if (!append(p++, 1)) return false;
            continue;
        }
        const wchar_t* own = nullptr;
        for (const ProgramFolder& folder : kProgramFolders) {
            const wchar_t* name = for32Bit ? folder.for32Bit : folder.native;
            if (static_cast<size_t>(close - p - 1) == std::wcslen(folder.name) &&
                _wcsnicmp(p + 1, folder.name, close - p - 1) == 0 &&
                GetEnvironmentVariableW(name, nullptr, 0) != 0)
                own = name;
        }
        if (own ? !(append(L"%", 1) && append(own, std::wcslen(own)) && append(L"%", 1))
                : !append(p, close - p + 1))
            return false;
        p = close + 1;
    }
    out[n] = 0;
    return true;
}

// The code page 936 texts a value of this type and size gives; no text when it gives
// none, or a reading does not fit or has no exact form. size is what the registry returned.
EntryText TextOf(DWORD type, DWORD size, bool expand, ValueBuffers& buffers) {
    if (type != REG_SZ && !(type == REG_EXPAND_SZ && expand)) return {};
    buffers.data[std::min<DWORD>(size, kDataBytes) / sizeof(wchar_t)] = 0;
    if (type == REG_SZ)
        return ToExactGbk(buffers.data, std::wcslen(buffers.data), buffers.text[0], kRegTextSize)
                   ? EntryText{buffers.text[0], nullptr}
                   : EntryText{};
    // The backup keeps the data as stored, through the A functions.
    if (!HasExactGbkForm(buffers.data, std::wcslen(buffers.data))) return {};
    for (bool for32Bit : {false, true}) {
        DWORD length = 0;
        if (RenameProgramFolders(buffers.data, for32Bit, buffers.renamed))
            length = ExpandEnvironmentStringsW(buffers.renamed, buffers.expanded, kRegTextSize);
        if (length == 0 || length > kRegTextSize ||
            !ToExactGbk(buffers.expanded, std::wcslen(buffers.expanded), buffers.text[for32Bit],
                        kRegTextSize))
            return {};
    }
    const bool same = std::strcmp(buffers.text[0], buffers.text[1]) == 0;
    return {buffers.text[0], same ? nullptr : buffers.text[1]};
}

bool CountOf(HKEY key, bool subkeys, DWORD& count) {
    count = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subkeys ? &count : nullptr, nullptr,
                            nullptr, subkeys ? nullptr : &count, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

// Every name and text of a tree has its exact code page 936 form.
class ExactReader : public KeyTreeVisitor {
public:
    bool EnterKey(HKEY, const std::wstring& name, DWORD, DWORD) override {
        return HasExactGbkForm(name.data(), name.size());
    }
    bool Value(const wchar_t* name, DWORD length, DWORD type, const BYTE* data,
               DWORD size) override {
        // A text of an odd size would come back a byte shorter.
        return HasExactGbkForm(name, length) &&
               (!IsStoredText(type) ||
                (size % sizeof(wchar_t) == 0 &&
                 HasExactGbkForm(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t))));
    }
};

// The kernel's own name of an open key, whichever path reached it; empty when unknown.
std::wstring KernelName(HKEY key) {
    using QueryKey = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const QueryKey queryKey = reinterpret_cast<QueryKey>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
    constexpr int kKeyNameInformation = 3;
    ULONG buffer[1024]; // the name's length in bytes, then the name
    ULONG size = 0;
    if (!queryKey || queryKey(key, kKeyNameInformation, buffer, sizeof buffer, &size) != 0 ||
        buffer[0] > sizeof buffer - sizeof buffer[0])
        return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer + 1), buffer[0] / sizeof(wchar_t));
}

} // namespace

std::vector<KeyView> KeyViews(const Place& place) {
    std::vector<KeyView> views;
    RegKey native, copy;
    const uint32_t root = place.root;
    if (native.Open(root, place.path, KEY_READ)) views.push_back({root, place.path});
    std::string copyPath = place.PathFor32Bit();
    if (copyPath.empty() || !copy.Open(root, copyPath.c_str(), KEY_READ)) return views;
    if (native) {
        // A key shared by both views, or one that cannot be told apart, is read once.
        const std::wstring name = KernelName(native.Get());
        if (name.empty() || _wcsicmp(name.c_str(), KernelName(copy.Get()).c_str()) == 0)
            return views;
    }
    views.push_back({root, std::move(copyPath)});
    return views;
}

namespace {

void WalkValuesOf(const KeyView& view, ValueRead mode, EntryVisitor visit) {
    RegKey key;
    DWORD count;
    if (!key.Open(view.root, view.path.c_str(), KEY_READ) || !CountOf(key.Get(), false, count))
        return;
    ValueBuffers buffers;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = kRegTextSize, type = REG_NONE, size = kDataBytes;
        LONG read = RegEnumValueW(key.Get(), i, buffers.name, &nameLength, nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffers.data), &size);
        if (read == ERROR_MORE_DATA && mode == ValueRead::NameOnly) {
            // Only a text needs its data checked; one too long for the buffers is passed over.
            nameLength = kRegTextSize;
            read = RegEnumValueW(key.Get(), i, buffers.name, &nameLength, nullptr, &type, nullptr,
                                 nullptr);
            if (IsStoredText(type)) continue;
            size = 0;
        }
        if (read != ERROR_SUCCESS ||
            !ToExactGbk(buffers.name, nameLength, buffers.nameText, kRegTextSize))
            continue;
        if (mode == ValueRead::NameOnly) {
            // The backup keeps the data through the A functions too.
            if (!IsStoredText(type) || HasExactGbkForm(buffers.data, size / sizeof(wchar_t)))
                visit(view, buffers.nameText, EntryText{});
        } else if (const EntryText text = TextOf(type, size, mode == ValueRead::Text, buffers);
                   text.text) {
            visit(view, buffers.nameText, text);
        }
    }
}

void WalkSubkeysOf(const KeyView& view, const SubkeyWalk& walk, EntryVisitor visit) {
    RegKey key;
    DWORD count;
    if (!key.Open(view.root, view.path.c_str(), KEY_READ) || !CountOf(key.Get(), true, count))
        return;
    ValueBuffers buffers;
    const size_t below = walk.below ? std::wcslen(walk.below) : 0;
    for (DWORD i = 0; i < count; ++i) {
        if (walk.stopWatch && walk.stopWatch->stopRequested) return;
        DWORD nameLength = kRegTextSize;
        FILETIME written;
        if (RegEnumKeyExW(key.Get(), i, buffers.name, &nameLength, nullptr, nullptr, nullptr,
                          &written) != ERROR_SUCCESS ||
            !ToExactGbk(buffers.name, nameLength, buffers.nameText, kRegTextSize))
            continue;
        if (walk.below) { // the name becomes the path of the key below it
            if (nameLength + 1 + below >= kRegTextSize) continue;
            buffers.name[nameLength] = L'\\';
            std::wmemcpy(buffers.name + nameLength + 1, walk.below, below + 1);
        }
        RegKey subkey;
        if (!subkey.Open(key.Get(), buffers.name, KEY_READ)) continue;
        DWORD type = REG_NONE, size = kDataBytes;
        LONG read = RegQueryValueExW(subkey.Get(), walk.valueName, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffers.data), &size);
        subkey.Reset();
        if (read != ERROR_SUCCESS) continue;
        if (const EntryText text = TextOf(type, size, true, buffers); text.text)
            visit(view, buffers.nameText, text);
    }
}

} // namespace

void WalkValues(const Place& place, ValueRead mode, EntryVisitor visit) {
    for (const KeyView& view : KeyViews(place))
        WalkValuesOf(view, mode, visit);
}

void WalkSubkeys(const Place& place, const SubkeyWalk& walk, EntryVisitor visit) {
    for (const KeyView& view : KeyViews(place))
        WalkSubkeysOf(view, walk, visit);
}

bool KeyReadsExactly(uint32_t root, const char* path, const char* name) {
    RegKey parent;
    ExactReader reader;
    return parent.Open(root, path, KEY_READ) &&
           WalkKeyTree(parent.Get(), WideFromGbk(name), KEY_READ, reader);
}

bool FormatKeyPath(char (&out)[kRegTextSize], const char* format, const char* name) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int length = std::snprintf(out, kRegTextSize, format, name);
#pragma GCC diagnostic pop
    return length >= 0 && static_cast<size_t>(length) < kRegTextSize;
}
