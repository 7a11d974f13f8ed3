// Any bytes as a backup file: its records read, each payload decoded again as a restore does.
#include "backup/BackupRecord.h"

#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Passes over every third key; every key entered is left, never deeper than the limit.
struct Checker : KeyNodeVisitor {
    bool EnterKey(const std::string&) override {
        if (++seen % 3 == 0) return false;
        Check(++depth <= kMaxKeyDepth);
        return true;
    }
    void Value(const std::string& name, uint32_t, const uint8_t* data, uint32_t size) override {
        Check(name.find('\0') == std::string::npos && (size == 0 || data != nullptr));
    }
    void LeaveKey() override { Check(--depth >= 0); }
    int seen = 0, depth = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource file(data, size), payload(data, size);
    uint32_t count = 0, type = 0;
    ProblemItem read;
    for (ReadU32(file, count); count > 0 && ReadItemRecord(file, read); --count) {
        Check(file.Position() <= size && payload.Seek(uint64_t(read.backupOffset)));
        std::vector<uint8_t> bytes;
        Checker checker;
        if (read.kind == kKindValue) Check(ReadValueBlock(payload, type, bytes));
        if (read.kind == kKindKey) Check(WalkKeyNode(payload, &checker) && checker.depth == 0);
        Check(payload.Position() == file.Position());
    }
    return 0;
}
