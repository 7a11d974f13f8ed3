// The file format by hand: the decoder's limits and the writer's bytes.
#include "backup/BackupRecord.h"
#include "backup/BackupWriter.h"

#include "support/BackupFolderTest.h"

namespace {

// HKCU\Software\A, location L, data D, description X, job 3.
std::string Header(const std::string& name, uint32_t kind) {
    return U32(kRootCurrentUser) + Str("Software\\A") + Str(name) + Str("L") + Str("D") + Str("X") +
           U32(3) + U32(kind);
}
std::string Node(const std::string& name, uint32_t values, uint32_t subkeys) {
    return Str(name) + U32(values) + U32(subkeys);
}
// The documented records: REG_SZ v, "C:\a.exe" and its zero; key K, default "x", subkey S.
const std::string kWorkedValue = Header("v", 0) + U32(1) + U32(9) + std::string("C:\\a.exe", 9);
const std::string kWorkedKey = Header("K", 1) + Node("K", 1, 1) + Str("") + U32(1) + U32(2) +
                               std::string("x", 2) + Node("S", 0, 0);

std::string Nested(int depth) {
    std::string bytes = Header("k", kKindKey);
    for (int i = 1; i <= depth; ++i)
        bytes += Node("k", 0, i < depth ? 1 : 0);
    return bytes;
}

} // namespace

using BackupRecordTest = SandboxTest;

// The documented records byte for byte, written and read; counts and lengths beyond the
// file fail the record.
TEST_F(BackupRecordTest, TheWorkedExamplesAndTheDecodersLimits) {
    ASSERT_EQ(kWorkedValue.size(), 68u);
    ASSERT_EQ(kWorkedKey.size(), 51u + 43u);
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\A", "v", "C:\\a.exe"));
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\A\\K", "", "x"));
    ASSERT_TRUE(PutKey(kRootCurrentUser, "Software\\A\\K\\S"));
    for (const bool key : {false, true}) {
        MemorySink sink;
        ASSERT_TRUE(WriteItemRecord(sink, {kRootCurrentUser, "Software\\A", key ? "K" : "v", "X",
                                           "L", "D", 3, 0, key, true}));
        EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()),
                  key ? kWorkedKey : kWorkedValue);
    }
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"string length", U32(kRootCurrentUser) + U32(~0u), false},
        {"value size", Header("v", 0) + U32(1) + U32(~0u) + "abc", false},
        {"value count", Header("v", 1) + Node("K", ~0u, 0), false},
        {"subkey count", Header("v", 1) + Node("K", 0, ~0u) + Node("S", 0, 0), false},
        {"data in a node", Header("v", 1) + Node("K", 1, 0) + Str("v") + U32(4) + U32(~0u), false},
        {"a sibling missing", Header("v", 1) + Node("K", 0, 2) + Node("S", 0, 0), false},
        {"512 deep", Nested(512), true},
        {"513 deep", Nested(513), false},
    };
    for (const auto& [what, bytes, whole] : cases) {
        SCOPED_TRACE(what);
        MemorySource source(bytes.data(), bytes.size());
        ProblemItem item;
        item.keyPath = "untouched";
        EXPECT_EQ(ReadItemRecord(source, item), whole);
        EXPECT_EQ(item.keyPath, whole ? "Software\\A" : "untouched");
        EXPECT_TRUE(!whole || source.Remaining() == 0) << "stands after the payload";
    }
    const std::string block = U32(1) + U32(~0u);
    MemorySource source(block.data(), block.size());
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_FALSE(ReadValueBlock(source, type, data));
    EXPECT_TRUE(data.empty());
}
