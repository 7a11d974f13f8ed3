#include "backup/BackupRecord.h"

#include <cstring>

namespace {

// Smallest encodings, so that a count can be checked against what is left before
// anything is walked: a value entry is an empty name, type and size; a node is an
// empty name and two counts.
constexpr uint64_t kMinValueEntry = 4 + 4 + 4;
constexpr uint64_t kMinKeyNode = 4 + 4 + 4;

bool SkipString(ByteSource& source) {
    uint32_t length = 0;
    return ReadU32(source, length) && source.Skip(length);
}

class Walker {
public:
    Walker(ByteSource& source, KeyNodeVisitor* visitor) : m_source(source), m_visitor(visitor) {}

    bool Node(int depth, bool visiting) {
        if (depth > kMaxKeyDepth) return false;
        uint32_t valueCount = 0, subkeyCount = 0;
        std::string name;
        if (!(visiting ? ReadString(m_source, name) : SkipString(m_source)) ||
            !ReadU32(m_source, valueCount) || !ReadU32(m_source, subkeyCount))
            return false;
        if (valueCount * kMinValueEntry + subkeyCount * kMinKeyNode > m_source.Remaining())
            return false;
        bool entered = visiting && m_visitor->EnterKey(name);
        bool ok = Values(valueCount, entered) && Subkeys(subkeyCount, depth, entered);
        if (entered) m_visitor->LeaveKey();
        return ok;
    }

private:
    bool Values(uint32_t count, bool visiting) {
        std::string name;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t type = 0, size = 0;
            if (!(visiting ? ReadString(m_source, name) : SkipString(m_source)) ||
                !ReadU32(m_source, type) || !ReadU32(m_source, size))
                return false;
            if (!visiting) {
                if (!m_source.Skip(size)) return false;
                continue;
            }
            if (size > m_source.Remaining()) return false;
            m_data.resize(size);
            if (!m_source.Read(m_data.data(), size)) return false;
            m_visitor->Value(name, type, m_data.data(), size);
        }
        return true;
    }

    bool Subkeys(uint32_t count, int depth, bool visiting) {
        for (uint32_t i = 0; i < count; ++i)
            if (!Node(depth + 1, visiting)) return false;
        return true;
    }

    ByteSource& m_source;
    KeyNodeVisitor* m_visitor;
    std::vector<uint8_t> m_data; // one data buffer for the whole walk
};

} // namespace

bool MemorySink::Write(const void* data, size_t size) {
    const uint8_t* begin = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), begin, begin + size);
    return true;
}

bool MemorySource::Read(void* data, size_t size) {
    if (size > m_size - m_position) return false;
    if (size) std::memcpy(data, m_data + m_position, size);
    m_position += size;
    return true;
}

bool MemorySource::Seek(uint64_t position) {
    if (position > m_size) return false;
    m_position = static_cast<size_t>(position);
    return true;
}

bool WriteU32(ByteSink& sink, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return sink.Write(bytes, sizeof bytes);
}

bool WriteString(ByteSink& sink, const char* text, size_t length) {
    const char nul = 0;
    return length < UINT32_MAX && WriteU32(sink, static_cast<uint32_t>(length + 1)) &&
           sink.Write(text, length) && sink.Write(&nul, 1);
}

bool WriteItemHeader(ByteSink& sink, const ProblemItem& item) {
    return WriteU32(sink, item.rootKey) && WriteString(sink, item.keyPath) &&
           WriteString(sink, item.itemName) && WriteString(sink, item.locationText) &&
           WriteString(sink, item.dataText) && WriteString(sink, item.description) &&
           WriteU32(sink, static_cast<uint32_t>(item.jobId)) &&
           WriteU32(sink, static_cast<uint32_t>(item.kind));
}

bool WriteValueData(ByteSink& sink, uint32_t type, const void* data, uint32_t size) {
    return WriteU32(sink, type) && WriteU32(sink, size) && sink.Write(data, size);
}

bool ReadU32(ByteSource& source, uint32_t& value) {
    uint8_t bytes[4];
    if (!source.Read(bytes, sizeof bytes)) return false;
    value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

bool ReadString(ByteSource& source, std::string& text) {
    uint32_t length = 0;
    if (!ReadU32(source, length) || length > source.Remaining()) return false;
    text.resize(length);
    if (length && !source.Read(&text[0], length)) return false;
    text.resize(std::strlen(text.c_str()));
    return true;
}

bool ReadItemRecord(ByteSource& source, ProblemItem& item) {
    ProblemItem read;
    uint32_t root = 0, jobId = 0, kind = 0;
    if (!ReadU32(source, root) || !ReadString(source, read.keyPath) ||
        !ReadString(source, read.itemName) || !ReadString(source, read.locationText) ||
        !ReadString(source, read.dataText) || !ReadString(source, read.description) ||
        !ReadU32(source, jobId) || !ReadU32(source, kind))
        return false;
    uint64_t payload = source.Position();
    if (payload > INT32_MAX) return false;
    read.rootKey = root;
    read.jobId = static_cast<int32_t>(jobId);
    read.kind = static_cast<int32_t>(kind);
    read.backupOffset = static_cast<int32_t>(payload);
    if (read.kind == kKindValue) {
        uint32_t type = 0, size = 0;
        if (!ReadU32(source, type) || !ReadU32(source, size) || !source.Skip(size)) return false;
    } else if (read.kind == kKindKey) {
        if (!SkipKeyNode(source)) return false;
    }
    item = std::move(read);
    return true;
}

bool ReadValueBlock(ByteSource& source, uint32_t& type, std::vector<uint8_t>& data) {
    uint32_t size = 0;
    if (!ReadU32(source, type) || !ReadU32(source, size) || size > source.Remaining()) return false;
    data.resize(size);
    return source.Read(data.data(), size);
}

bool SkipKeyNode(ByteSource& source) {
    return WalkKeyNode(source, nullptr);
}

bool WalkKeyNode(ByteSource& source, KeyNodeVisitor* visitor) {
    return Walker(source, visitor).Node(1, visitor != nullptr);
}
