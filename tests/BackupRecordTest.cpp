#include "backup/BackupRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Hand-made file images.
struct Image {
    std::vector<uint8_t> bytes;
    Image& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Image& Raw(const void* data, size_t size) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return *this;
    }
    Image& Str(const std::string& text) {
        return U32(uint32_t(text.size() + 1)).Raw(text.c_str(), text.size() + 1);
    }
    Image& Header(int32_t kind, const std::string& name = "v") {
        return U32(kRootCurrentUser)
            .Str("Software\\A")
            .Str(name)
            .Str("L")
            .Str("D")
            .Str("X")
            .U32(3)
            .U32(static_cast<uint32_t>(kind));
    }
    Image& EmptyNode(const std::string& name) { return Str(name).U32(0).U32(0); }
};

// The worked example of a key K with a default value "x" and one empty subkey S.
const std::vector<uint8_t> kExampleNode =
    Image().Str("K").U32(1).U32(1).Str("").U32(1).U32(2).Raw("x", 2).EmptyNode("S").bytes;

class Trace : public KeyNodeVisitor {
public:
    bool EnterKey(const std::string& name) override {
        text += "[" + name;
        return name != refuse;
    }
    void Value(const std::string& name, uint32_t type, const uint8_t* data,
               uint32_t size) override {
        text += " " + name + "=" + std::to_string(type) + ":" +
                std::string(reinterpret_cast<const char*>(data), size);
    }
    void LeaveKey() override { text += "]"; }
    std::string text, refuse = "\x01";
};

// Reads as the backup reader does: a count, then records until one fails.
ProblemList ReadAll(const std::vector<uint8_t>& bytes) {
    MemorySource source(bytes);
    ProblemList items;
    uint32_t count = 0;
    if (!ReadU32(source, count)) return items;
    ProblemItem item;
    for (uint32_t i = 0; i < count && ReadItemRecord(source, item); ++i)
        items.push_back(item);
    return items;
}

} // namespace

TEST(BackupRecord, StringsCountAndCarryTheirNul) {
    MemorySink sink;
    ASSERT_TRUE(WriteString(sink, std::string("v")));
    ASSERT_TRUE(WriteString(sink, std::string()));
    EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{2, 0, 0, 0, 0x76, 0, 1, 0, 0, 0, 0}));

    // The text ends at its first NUL; a length of 0 (never written) reads as empty.
    std::vector<uint8_t> bytes = Image().U32(4).Raw("a\0bc", 4).U32(0).U32(2).Raw("z", 1).bytes;
    MemorySource source(bytes);
    std::string text = "old";
    ASSERT_TRUE(ReadString(source, text));
    EXPECT_EQ(text, "a");
    ASSERT_TRUE(ReadString(source, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(ReadString(source, text)) << "length 2 with one byte left";
}

TEST(BackupRecord, TheWorkedKeyNodeDecodesInFileOrder) {
    ASSERT_EQ(kExampleNode.size(), 43u);
    MemorySource source(kExampleNode);
    Trace trace;
    ASSERT_TRUE(WalkKeyNode(source, &trace));
    EXPECT_EQ(trace.text, std::string("[K =1:x\0[S]]", 12));
    EXPECT_EQ(source.Position(), 43u);

    // A key that cannot be had is passed over whole, and the walk goes on after it.
    std::vector<uint8_t> two =
        Image().Str("P").U32(0).U32(2).Raw(kExampleNode.data(), 43).EmptyNode("Q").bytes;
    MemorySource again(two);
    trace.text.clear();
    trace.refuse = "K";
    ASSERT_TRUE(WalkKeyNode(again, &trace));
    EXPECT_EQ(trace.text, "[P[K[Q]]");
    EXPECT_EQ(again.Remaining(), 0u);
}

TEST(BackupRecord, RecordsKeepTheirFieldsAndPayloadOffsets) {
    // A kind other than 0 and 1 carries nothing: its offset is where the next record starts.
    Image image;
    image.U32(3).Header(7, "odd");
    size_t second = image.bytes.size();
    image.Header(0).U32(1).U32(9).Raw("C:\\a.exe", 9);
    size_t third = image.bytes.size();
    image.Header(1, "K").Raw(kExampleNode.data(), 43);

    ProblemList items = ReadAll(image.bytes);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, 7);
    EXPECT_EQ(items[0].itemName, "odd");
    EXPECT_EQ(size_t(items[0].backupOffset), second);
    EXPECT_EQ(size_t(items[1].backupOffset), second + 51);
    EXPECT_EQ(size_t(items[2].backupOffset), third + 51);
    const ProblemItem& v = items[1];
    EXPECT_EQ(v.rootKey, kRootCurrentUser);
    EXPECT_EQ(v.keyPath, "Software\\A");
    EXPECT_EQ(v.locationText, "L");
    EXPECT_EQ(v.dataText, "D");
    EXPECT_EQ(v.description, "X");
    EXPECT_EQ(v.jobId, 3);
    EXPECT_EQ(v.kind, 0);

    MemorySource source(image.bytes);
    ASSERT_TRUE(source.Seek(uint64_t(v.backupOffset)));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadValueBlock(source, type, data));
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("C:\\a.exe", 9));
}

TEST(BackupRecord, CountsAndLengthsBeyondTheRestOfTheFileFailTheRecord) {
    const uint32_t huge = 0xFFFFFFFFu;
    std::vector<std::vector<uint8_t>> damaged = {
        Image().U32(huge).bytes,                                          // string length
        Image().U32(kRootLocalMachine).U32(12).Raw("short", 5).bytes,     // string cut short
        Image().Header(0).U32(1).U32(huge).Raw("abc", 3).bytes,           // value size
        Image().Header(0).U32(1).bytes,                                   // no size
        Image().Header(1).Str("K").U32(huge).U32(0).bytes,                // value count
        Image().Header(1).Str("K").U32(0).U32(huge).EmptyNode("S").bytes, // subkey count
        Image().Header(1).Str("K").U32(1).U32(0).Str("v").U32(4).U32(huge).bytes,
        Image().Header(1).Str("K").U32(0).U32(2).EmptyNode("S").bytes, // a sibling missing
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        MemorySource source(damaged[i]);
        ProblemItem item;
        item.keyPath = "untouched";
        EXPECT_FALSE(ReadItemRecord(source, item)) << "case " << i;
        EXPECT_EQ(item.keyPath, "untouched") << "case " << i;
        EXPECT_LE(source.Position(), source.Size());
    }
    uint32_t type = 0;
    std::vector<uint8_t> data;
    std::vector<uint8_t> block = Image().U32(3).U32(huge).bytes;
    MemorySource source(block);
    EXPECT_FALSE(ReadValueBlock(source, type, data));
    EXPECT_TRUE(data.empty());
}

TEST(BackupRecord, KeyNodesNestAtMost512Deep) {
    auto nested = [](int depth) {
        Image image;
        for (int i = 0; i < depth; ++i)
            image.Str("k").U32(0).U32(i + 1 < depth ? 1 : 0);
        return image.bytes;
    };
    std::vector<uint8_t> deepest = nested(512), tooDeep = nested(513);
    MemorySource fits(deepest), over(tooDeep);
    EXPECT_TRUE(SkipKeyNode(fits));
    EXPECT_EQ(fits.Remaining(), 0u);
    Trace trace;
    EXPECT_FALSE(WalkKeyNode(over, &trace));
    MemorySource overAgain(tooDeep);
    EXPECT_FALSE(SkipKeyNode(overAgain));
}
