#include "backup/BackupWriter.h"

#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/KeyTree.h"

#include <algorithm>
#include <vector>

namespace {

// Each key a node: its name and counts, its values, then its subkeys. Names and texts
// are written as the A functions read them; one without an exact form fails the copy.
class NodeWriter : public KeyTreeVisitor {
public:
    explicit NodeWriter(ByteSink& file) : m_file(file) {}
    bool EnterKey(HKEY, const std::wstring& name, DWORD values, DWORD subkeys) override {
        return Gbk(name.data(), name.size()) && WriteString(m_file, m_text) &&
               WriteU32(m_file, values) && WriteU32(m_file, subkeys);
    }
    bool Value(const wchar_t* name, DWORD length, DWORD type, const BYTE* data,
               DWORD size) override {
        if (!Gbk(name, length) || !WriteString(m_file, m_text)) return false;
        if (!IsStoredText(type)) return WriteValueData(m_file, type, data, size);
        return Gbk(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t)) &&
               WriteValueData(m_file, type, m_text.data(), static_cast<uint32_t>(m_text.size()));
    }

private:
    bool Gbk(const wchar_t* text, size_t length) {
        m_text.clear();
        return AppendExactGbk(text, length, m_text);
    }

    ByteSink& m_file;
    std::string m_text;
};

} // namespace

bool ItemRecordWriter::Write(const ProblemItem& item) {
    if (!IsKnownRoot(item.rootKey) || !WriteItemHeader(m_file, item)) return false;
    if (item.kind == kKindValue) return WriteValue(item.rootKey, item.keyPath, item.itemName);
    if (item.kind == kKindKey) {
        RegKey parent;
        if (!item.keyPath.empty() && !parent.Open(item.rootKey, item.keyPath.c_str(), KEY_READ))
            return false;
        return WriteKeyNode(m_file, parent ? parent.Get() : RootKeyHandle(item.rootKey),
                            item.itemName);
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

bool WriteKeyNode(ByteSink& file, HKEY parent, const std::string& name) {
    NodeWriter writer(file);
    return !name.empty() && WalkKeyTree(parent, WideFromGbk(name), KEY_READ, writer);
}
