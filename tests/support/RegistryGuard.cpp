#include "support/RegistryGuard.h"

#include "engine/Handles.h"

#include <algorithm>
#include <cstdio>

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

RegKey OpenWide(HKEY parent, const std::wstring& path, REGSAM access) {
    RegKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) key.Release();
    return key;
}

std::vector<GuardedValue> ReadValues(HKEY key) {
    std::vector<GuardedValue> values;
    DWORD count = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(maxName + 2);
    std::vector<uint8_t> data(maxData + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS)
            continue;
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<uint8_t>(data.begin(), data.begin() + dataLength)});
    }
    return values;
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = 512;
        const LONG result =
            RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) names.emplace_back(name, length);
    }
    return names;
}

void ReadTree(HKEY key, GuardedKey& into) {
    into.values = ReadValues(key);
    for (const std::wstring& name : SubkeyNames(key)) {
        RegKey sub = OpenWide(key, name, KEY_READ);
        GuardedKey child;
        child.name = name;
        if (sub) ReadTree(sub.Get(), child);
        into.subkeys.push_back(std::move(child));
    }
}

bool WriteTree(HKEY key, const GuardedKey& state) {
    bool ok = true;
    for (const GuardedValue& v : state.values)
        ok = RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(),
                            static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS &&
             ok;
    for (const GuardedKey& child : state.subkeys) {
        RegKey sub;
        ok = RegCreateKeyExW(key, child.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             sub.Put(), nullptr) == ERROR_SUCCESS &&
             WriteTree(sub.Get(), child) && ok;
    }
    return ok;
}

bool RemoveWholeTree(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    const LONG result = RegDeleteKeyW(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool RestoreRegion(const GuardedRegion& region) {
    const HKEY root = RootKeyHandle(region.root);
    const std::wstring path = Wide(region.path);
    if (region.wholeTree || !region.existed) {
        if (!RemoveWholeTree(root, path)) return false;
        if (!region.existed) return true;
    }
    RegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    if (region.wholeTree) return WriteTree(key.Get(), region.state);
    // Values only: what was added goes, what was there comes back.
    bool ok = true;
    for (const GuardedValue& live : ReadValues(key.Get())) {
        const bool saved = std::any_of(region.state.values.begin(), region.state.values.end(),
                                       [&](const GuardedValue& v) { return v.name == live.name; });
        if (!saved) ok = RegDeleteValueW(key.Get(), live.name.c_str()) == ERROR_SUCCESS && ok;
    }
    GuardedKey valuesOnly;
    valuesOnly.values = region.state.values;
    return WriteTree(key.Get(), valuesOnly) && ok;
}

// The file: a flat sequence of little-endian numbers and length-prefixed blobs.
class Writer {
public:
    void U32(uint32_t v) { Bytes(&v, sizeof v); }
    void Blob(const void* data, size_t size) {
        U32(static_cast<uint32_t>(size));
        Bytes(data, size);
    }
    void Text(const std::string& s) { Blob(s.data(), s.size()); }
    void Text(const std::wstring& s) { Blob(s.data(), s.size() * sizeof(wchar_t)); }
    void Key(const GuardedKey& key) {
        Text(key.name);
        U32(static_cast<uint32_t>(key.values.size()));
        for (const GuardedValue& v : key.values) {
            Text(v.name);
            U32(v.type);
            Blob(v.data.data(), v.data.size());
        }
        U32(static_cast<uint32_t>(key.subkeys.size()));
        for (const GuardedKey& child : key.subkeys)
            Key(child);
    }
    std::vector<uint8_t> bytes;

private:
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    bool ok = true;
    uint32_t U32() {
        uint32_t v = 0;
        Bytes(&v, sizeof v);
        return v;
    }
    std::vector<uint8_t> Blob() {
        const uint32_t size = U32();
        if (!ok || size > m_bytes.size() - m_at) {
            ok = false;
            return {};
        }
        std::vector<uint8_t> data(m_bytes.begin() + m_at, m_bytes.begin() + m_at + size);
        m_at += size;
        return data;
    }
    std::string Text() {
        const std::vector<uint8_t> b = Blob();
        return std::string(b.begin(), b.end());
    }
    std::wstring WideText() {
        const std::vector<uint8_t> b = Blob();
        std::wstring s(b.size() / sizeof(wchar_t), L'\0');
        if (!s.empty())
            std::copy(b.begin(), b.begin() + s.size() * sizeof(wchar_t),
                      reinterpret_cast<uint8_t*>(&s[0]));
        return s;
    }
    GuardedKey Key(int depth = 0) {
        GuardedKey key;
        if (depth > 64) {
            ok = false;
            return key;
        }
        key.name = WideText();
        for (uint32_t n = U32(); ok && n > 0; --n) {
            GuardedValue v;
            v.name = WideText();
            v.type = U32();
            v.data = Blob();
            key.values.push_back(std::move(v));
        }
        for (uint32_t n = U32(); ok && n > 0; --n)
            key.subkeys.push_back(Key(depth + 1));
        return key;
    }

private:
    void Bytes(void* out, size_t size) {
        if (!ok || size > m_bytes.size() - m_at) {
            ok = false;
            return;
        }
        std::copy(m_bytes.begin() + m_at, m_bytes.begin() + m_at + size,
                  static_cast<uint8_t*>(out));
        m_at += size;
    }
    const std::vector<uint8_t>& m_bytes;
    size_t m_at = 0;
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    const DWORD size = GetFileSize(file.Get(), nullptr);
    bytes.resize(size);
    DWORD got = 0;
    return size == 0 || (ReadFile(file.Get(), bytes.data(), size, &got, nullptr) && got == size);
}

void DumpKey(HKEY key, const std::wstring& prefix, std::vector<std::wstring>& lines) {
    lines.push_back(prefix + L"\\");
    for (const GuardedValue& v : ReadValues(key)) {
        wchar_t head[32];
        std::swprintf(head, 32, L"|%lu|", static_cast<unsigned long>(v.type));
        std::wstring hex;
        for (uint8_t b : v.data) {
            wchar_t byte[4];
            std::swprintf(byte, 4, L"%02X", b);
            hex += byte;
        }
        lines.push_back(prefix + L"\\:" + v.name + head + hex);
    }
    for (const std::wstring& name : SubkeyNames(key)) {
        RegKey sub = OpenWide(key, name, KEY_READ);
        if (sub)
            DumpKey(sub.Get(), prefix + L"\\" + name, lines);
        else
            lines.push_back(prefix + L"\\" + name + L" <unreadable>");
    }
}

} // namespace

bool RegistryGuard::RecoverLeftover() {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(m_file, bytes))
        return GetFileAttributesA(m_file.c_str()) == INVALID_FILE_ATTRIBUTES;
    Reader reader(bytes);
    m_regions.clear();
    for (uint32_t n = reader.U32(); reader.ok && n > 0; --n) {
        GuardedRegion region;
        region.root = reader.U32();
        region.path = reader.Text();
        region.wholeTree = reader.U32() != 0;
        region.existed = reader.U32() != 0;
        region.state = reader.Key();
        m_regions.push_back(std::move(region));
    }
    if (!reader.ok) return false; // a damaged file stays for a person to look at
    return Restore();
}

bool RegistryGuard::Save(const std::vector<GuardedRegion>& regions) {
    m_regions = regions;
    Writer writer;
    writer.U32(static_cast<uint32_t>(m_regions.size()));
    for (GuardedRegion& region : m_regions) {
        RegKey key = OpenWide(RootKeyHandle(region.root), Wide(region.path), KEY_READ);
        region.existed = key.Valid();
        region.state = GuardedKey();
        if (key) {
            if (region.wholeTree)
                ReadTree(key.Get(), region.state);
            else
                region.state.values = ReadValues(key.Get());
        }
        writer.U32(region.root);
        writer.Text(region.path);
        writer.U32(region.wholeTree);
        writer.U32(region.existed);
        writer.Key(region.state);
    }
    FileHandle file(
        CreateFileA(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.Get(), writer.bytes.data(), static_cast<DWORD>(writer.bytes.size()),
                     &written, nullptr) &&
           written == writer.bytes.size() && FlushFileBuffers(file.Get());
}

bool RegistryGuard::Restore() {
    bool ok = true;
    for (const GuardedRegion& region : m_regions)
        ok = RestoreRegion(region) && ok;
    if (ok) {
        DeleteFileA(m_file.c_str());
        m_regions.clear();
    }
    return ok;
}

std::string DumpTreeExactly(uint32_t root, const std::string& path) {
    RegKey key = OpenWide(RootKeyHandle(root), Wide(path), KEY_READ);
    if (!key) return "<absent>";
    std::vector<std::wstring> lines;
    DumpKey(key.Get(), L"", lines);
    std::sort(lines.begin(), lines.end());
    std::wstring all;
    for (const std::wstring& line : lines)
        all += line + L"\n";
    // UTF-8, so that a failure prints readably.
    const int size = WideCharToMultiByte(CP_UTF8, 0, all.c_str(), static_cast<int>(all.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, all.c_str(), static_cast<int>(all.size()), &out[0], size,
                            nullptr, nullptr);
    return out;
}
