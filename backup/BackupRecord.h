// The ".backup2" byte layout: little-endian 32-bit integers, strings as a length that
// counts a written NUL, item records and their value or key-node payloads. No windows.h:
// the decoder also builds natively, for the fuzzer.
#pragma once

#include "engine/ProblemItem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // All of it or false.
    virtual bool Write(const void* data, size_t size) = 0;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // All of it or false; nothing past the end is ever read.
    virtual bool Read(void* data, size_t size) = 0;
    // Absolute; false beyond the end.
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;

    uint64_t Remaining() const {
        uint64_t position = Position(), size = Size();
        return position < size ? size - position : 0;
    }
    bool Skip(uint64_t count) { return count <= Remaining() && Seek(Position() + count); }
};

class MemorySink : public ByteSink {
public:
    bool Write(const void* data, size_t size) override;
    std::vector<uint8_t> bytes;
};

// Reads a buffer it does not own.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    explicit MemorySource(const std::vector<uint8_t>& bytes)
        : MemorySource(bytes.data(), bytes.size()) {}
    bool Read(void* data, size_t size) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() const override { return m_position; }
    uint64_t Size() const override { return m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

bool WriteU32(ByteSink& sink, uint32_t value);
bool WriteString(ByteSink& sink, const char* text, size_t length);
inline bool WriteString(ByteSink& sink, const std::string& text) {
    return WriteString(sink, text.data(), text.size());
}
// rootKey, the five texts in file order, jobId and kind: everything before the payload.
bool WriteItemHeader(ByteSink& sink, const ProblemItem& item);
bool WriteValueData(ByteSink& sink, uint32_t type, const void* data, uint32_t size);

bool ReadU32(ByteSource& source, uint32_t& value);
// The text up to its first NUL; a length the rest of the source cannot hold fails.
bool ReadString(ByteSource& source, std::string& text);

// One record; on success the item holds its fields and the payload's position in
// backupOffset, and the source stands after the payload, which was checked whole.
// A record cut short or damaged fails and leaves the item as it was.
bool ReadItemRecord(ByteSource& source, ProblemItem& item);
// Type, size and data of a value block; the data must be there in full.
bool ReadValueBlock(ByteSource& source, uint32_t& type, std::vector<uint8_t>& data);
// Moves past one key node with everything nested in it, checking every count and
// length against what is left; false when the node is not there whole.
bool SkipKeyNode(ByteSource& source);

// What a walk over a key node meets, in file order.
class KeyNodeVisitor {
public:
    virtual ~KeyNodeVisitor() = default;
    // False when the key cannot be had: its values and subkeys are passed over unseen.
    virtual bool EnterKey(const std::string& name) = 0;
    virtual void Value(const std::string& name, uint32_t type, const uint8_t* data,
                       uint32_t size) = 0;
    // Pairs with every EnterKey that answered true.
    virtual void LeaveKey() = 0;
};

// Walks one key node; with no visitor it only checks and skips. False when the node
// is cut short, its counts exceed what is left, or it nests deeper than kMaxKeyDepth.
// A visitor may already have seen part of a node that fails: callers that write check
// first and walk after.
bool WalkKeyNode(ByteSource& source, KeyNodeVisitor* visitor);
