// Any bytes as a backup file: read it as the backup reader does, then decode every
// record's payload again from its offset as a restore does.
#include "backup/BackupRecord.h"

#include <cstdlib>

namespace {

// Pairs every key it enters with a leave and passes over every third key.
class Checker : public KeyNodeVisitor {
public:
    bool EnterKey(const std::string&) override {
        if (++m_seen % 3 == 0) return false;
        ++depth;
        if (depth > kMaxKeyDepth) std::abort();
        return true;
    }
    void Value(const std::string& name, uint32_t, const uint8_t* data, uint32_t size) override {
        if (name.find('\0') != std::string::npos || (size > 0 && data == nullptr)) std::abort();
    }
    void LeaveKey() override {
        if (--depth < 0) std::abort();
    }
    int depth = 0;

private:
    int m_seen = 0;
};

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource file(data, size);
    uint32_t count = 0;
    if (!ReadU32(file, count)) return 0;
    ProblemList items;
    ProblemItem item;
    for (uint32_t i = 0; i < count && ReadItemRecord(file, item); ++i) {
        Check(file.Position() <= size && static_cast<size_t>(item.backupOffset) <= size);
        items.push_back(item);
    }
    for (const ProblemItem& read : items) {
        // A record read whole has a payload that decodes whole, and to the same end.
        MemorySource payload(data, size);
        Check(payload.Seek(static_cast<uint64_t>(read.backupOffset)));
        if (read.kind == kKindValue) {
            uint32_t type = 0;
            std::vector<uint8_t> bytes;
            Check(ReadValueBlock(payload, type, bytes));
        } else if (read.kind == kKindKey) {
            uint64_t start = payload.Position();
            Check(SkipKeyNode(payload));
            uint64_t end = payload.Position();
            Check(payload.Seek(start));
            Checker checker;
            Check(WalkKeyNode(payload, &checker));
            Check(payload.Position() == end && checker.depth == 0);
        }
        // What was read writes back and reads again to the same fields.
        MemorySink sink;
        Check(WriteItemHeader(sink, read));
        MemorySource again(sink.bytes);
        ProblemItem copy;
        uint32_t root = 0;
        std::string texts[5];
        uint32_t jobId = 0, kind = 0;
        Check(ReadU32(again, root) && root == read.rootKey);
        for (std::string& text : texts)
            Check(ReadString(again, text));
        Check(ReadU32(again, jobId) && ReadU32(again, kind) && again.Remaining() == 0);
        Check(texts[0] == read.keyPath && texts[1] == read.itemName &&
              texts[2] == read.locationText && texts[3] == read.dataText &&
              texts[4] == read.description && static_cast<int32_t>(kind) == read.kind &&
              static_cast<int32_t>(jobId) == read.jobId);
    }
    return 0;
}
