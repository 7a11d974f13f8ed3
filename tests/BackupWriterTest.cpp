#include "backup/BackupWriter.h"

#include "engine/Handles.h"
#include "support/BackupFolderTest.h"
#include "support/SandboxTest.h"
#include "support/WorkedExamples.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Bytes(const char* data, size_t size) {
    return std::vector<uint8_t>(data, data + size);
}

class BackupWriterTest : public SandboxTest {};

} // namespace

TEST_F(BackupWriterTest, AValueRecordIsTheWorkedExampleByteForByte) {
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\A", "v", "C:\\a.exe"));
    ProblemItem item = MakeItem(kRootCurrentUser, "Software\\A", "v", kKindValue);
    item.locationText = "L";
    item.dataText = "D";
    item.description = "X";
    item.jobId = 3;
    MemorySink sink;
    ASSERT_TRUE(WriteItemRecord(sink, item));
    EXPECT_EQ(sink.bytes, WorkedValueRecord());
    EXPECT_EQ(sink.bytes.size(), 68u);
}

TEST_F(BackupWriterTest, AKeyNodeIsTheWorkedExampleByteForByte) {
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\K", "", "x"));
    ASSERT_TRUE(PutKey(kRootLocalMachine, "Software\\K\\S"));
    RegKey key;
    ASSERT_TRUE(key.Open(kRootLocalMachine, "Software\\K", KEY_READ));
    MemorySink sink;
    ASSERT_TRUE(WriteKeyNode(sink, key.Get(), "K"));
    const char expected[] = "\x02\x00\x00\x00K\x00"
                            "\x01\x00\x00\x00\x01\x00\x00\x00"
                            "\x01\x00\x00\x00\x00"
                            "\x01\x00\x00\x00"
                            "\x02\x00\x00\x00x\x00"
                            "\x02\x00\x00\x00S\x00"
                            "\x00\x00\x00\x00\x00\x00\x00\x00";
    EXPECT_EQ(sink.bytes, Bytes(expected, sizeof expected - 1));

    // The record of a kind 1 item carries that node after its header.
    MemorySink record;
    ASSERT_TRUE(WriteItemRecord(record, MakeItem(kRootLocalMachine, "Software", "K", kKindKey)));
    ASSERT_GE(record.bytes.size(), 43u);
    EXPECT_EQ(std::vector<uint8_t>(record.bytes.end() - 43, record.bytes.end()), sink.bytes);
}

TEST_F(BackupWriterTest, EmptyDataEmptyKeysAndOtherKindsStoreNoMore) {
    ASSERT_TRUE(PutValue(kRootCurrentUser, "Software\\E", "none", REG_BINARY, "", 0));
    ASSERT_TRUE(PutKey(kRootCurrentUser, "Software\\E\\Empty"));
    MemorySink value;
    ASSERT_TRUE(WriteValueBlock(value, kRootCurrentUser, "Software\\E", "none"));
    EXPECT_EQ(value.bytes, Bytes("\x03\0\0\0\0\0\0\0", 8));

    MemorySink node;
    RegKey key;
    ASSERT_TRUE(key.Open(kRootCurrentUser, "Software\\E\\Empty", KEY_READ));
    ASSERT_TRUE(WriteKeyNode(node, key.Get(), "Empty"));
    EXPECT_EQ(node.bytes, Bytes("\x06\0\0\0Empty\0\0\0\0\0\0\0\0\0", 18));

    MemorySink header, other;
    ProblemItem odd = MakeItem(kRootCurrentUser, "Software\\Gone", "x", 5);
    ASSERT_TRUE(WriteItemHeader(header, odd));
    ASSERT_TRUE(WriteItemRecord(other, odd));
    EXPECT_EQ(other.bytes, header.bytes);
}

TEST_F(BackupWriterTest, WhatCannotBeReadFailsAndWritesNoPayload) {
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\G", "here", "1"));
    MemorySink sink;
    EXPECT_FALSE(WriteValueBlock(sink, kRootCurrentUser, "Software\\G", "gone"));
    EXPECT_FALSE(WriteValueBlock(sink, kRootCurrentUser, "Software\\Gone", "here"));
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_FALSE(WriteItemRecord(sink, MakeItem(kRootCurrentUser, "Software", "Gone", kKindKey)));
    EXPECT_FALSE(WriteItemRecord(sink, MakeItem(kRootCurrentUser, "Software\\G", "gone", 0)));
    ProblemItem foreign = MakeItem(0x80000003u, "Software\\G", "here", 0);
    MemorySink none;
    EXPECT_FALSE(WriteItemRecord(none, foreign));
    EXPECT_TRUE(none.bytes.empty());
}

TEST_F(BackupWriterTest, NamesLongerInBytesThanInCharactersAreWrittenWhole) {
    // Each of these characters is two bytes in code page 936 and one UTF-16 unit.
    std::string wide, key = "Software\\W\\";
    while (wide.size() < 2048)
        wide += "乗";
    std::string subkey;
    while (subkey.size() < 400)
        subkey += "俓";
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\W", wide, "表"));
    ASSERT_TRUE(PutString(kRootCurrentUser, key + subkey, std::string(2047, 'n'), ""));
    RegKey open;
    ASSERT_TRUE(open.Open(kRootCurrentUser, "Software\\W", KEY_READ));
    MemorySink sink;
    ASSERT_TRUE(WriteKeyNode(sink, open.Get(), "W"));

    MemorySource source(sink.bytes);
    struct Names : KeyNodeVisitor {
        bool EnterKey(const std::string& name) override {
            seen.push_back(name);
            return true;
        }
        void Value(const std::string& name, uint32_t, const uint8_t*, uint32_t) override {
            seen.push_back(name);
        }
        void LeaveKey() override {}
        std::vector<std::string> seen;
    } names;
    ASSERT_TRUE(WalkKeyNode(source, &names));
    EXPECT_EQ(names.seen, (std::vector<std::string>{"W", wide, subkey, std::string(2047, 'n')}));
}
