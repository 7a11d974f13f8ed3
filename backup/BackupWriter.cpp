#include "backup/BackupWriter.h"

#include "engine/Handles.h"

#include <algorithm>
#include <vector>

namespace {

bool WriteNode(ByteSink& file, HKEY key, const std::string& name, int depth) {
    if (depth > kMaxKeyDepth) return false;
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                         &maxValueName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    if (!WriteString(file, name) || !WriteU32(file, values) || !WriteU32(file, subkeys))
        return false;
    // Lengths come in characters; a code page 936 character may take two bytes.
    std::vector<char> nameBuffer(2 * size_t{std::max(maxSubkey, maxValueName)} + 16);
    std::vector<BYTE> data(size_t{maxData} + 16);
    const DWORD nameCapacity = static_cast<DWORD>(nameBuffer.size());
    const DWORD dataCapacity = static_cast<DWORD>(data.size());
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = nameCapacity, dataLength = dataCapacity, type = 0;
        if (RegEnumValueA(key, i, nameBuffer.data(), &nameLength, nullptr, &type, data.data(),
                          &dataLength) != ERROR_SUCCESS ||
            !WriteString(file, nameBuffer.data(), nameLength) ||
            !WriteValueData(file, type, data.data(), dataLength))
            return false;
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD nameLength = nameCapacity;
        if (RegEnumKeyExA(key, i, nameBuffer.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            return false;
        std::string child(nameBuffer.data(), nameLength);
        RegKey subkey;
        if (!subkey.Open(key, child.c_str(), KEY_READ) ||
            !WriteNode(file, subkey.Get(), child, depth + 1))
            return false;
    }
    return true;
}

} // namespace

bool ItemRecordWriter::Write(const ProblemItem& item) {
    if (!IsKnownRoot(item.rootKey) || !WriteItemHeader(m_file, item)) return false;
    if (item.kind == kKindValue) return WriteValue(item.rootKey, item.keyPath, item.itemName);
    if (item.kind == kKindKey) {
        std::string path =
            item.keyPath.empty() ? item.itemName : item.keyPath + "\\" + item.itemName;
        RegKey key;
        return key.Open(item.rootKey, path.c_str(), KEY_READ) &&
               WriteKeyNode(m_file, key.Get(), item.itemName);
    }
    return true;
}

bool ItemRecordWriter::WriteValue(uint32_t rootKey, const std::string& keyPath,
                                  const std::string& valueName) {
    const HKEY key = m_key.Reach(rootKey, keyPath, KEY_READ, false);
    if (!key) return false;
    // One query where the buffer is large enough; the size it asks for otherwise.
    if (m_data.empty()) m_data.resize(4096);
    for (;;) {
        DWORD size = static_cast<DWORD>(m_data.size()), type = 0;
        LONG result =
            RegQueryValueExA(key, valueName.c_str(), nullptr, &type, m_data.data(), &size);
        if (result == ERROR_SUCCESS) return WriteValueData(m_file, type, m_data.data(), size);
        if (result != ERROR_MORE_DATA || size <= m_data.size()) return false;
        m_data.resize(size);
    }
}

bool WriteItemRecord(ByteSink& file, const ProblemItem& item) {
    return ItemRecordWriter(file).Write(item);
}

bool WriteValueBlock(ByteSink& file, uint32_t rootKey, const std::string& keyPath,
                     const std::string& valueName) {
    return ItemRecordWriter(file).WriteValue(rootKey, keyPath, valueName);
}

bool WriteKeyNode(ByteSink& file, HKEY key, const std::string& name) {
    return WriteNode(file, key, name, 1);
}
