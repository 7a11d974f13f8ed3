#include "backup/BackupFile.h"

#include "engine/Handles.h"
#include "support/BackupFolderTest.h"
#include "support/SandboxTest.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class BackupFileTest : public SandboxTest {
protected:
    FileHandle Open(const std::string& path, DWORD access, DWORD disposition) {
        return FileHandle(CreateFileA(path.c_str(), access, 0, nullptr, disposition, 0, nullptr));
    }
};

} // namespace

TEST_F(BackupFileTest, FieldsOfEverySizeCrossTheBufferIntact) {
    std::mt19937 random(20240501);
    std::vector<uint8_t> expected;
    std::vector<size_t> sizes;
    while (expected.size() < 3 * kBackupBufferSize) {
        // Mostly small fields, now and then one larger than the buffer.
        size_t size = random() % 8 == 0 ? random() % (2 * kBackupBufferSize) : random() % 40;
        sizes.push_back(size);
        for (size_t i = 0; i < size; ++i)
            expected.push_back(static_cast<uint8_t>(random()));
    }
    std::string path = files.Path("fields.bin");
    {
        FileHandle file = Open(path, GENERIC_WRITE, CREATE_NEW);
        ASSERT_TRUE(file);
        BackupFileWriter writer(file.Get());
        size_t at = 0;
        for (size_t size : sizes) {
            ASSERT_TRUE(writer.Write(expected.data() + at, size));
            at += size;
        }
        ASSERT_TRUE(writer.Flush());
    }
    ASSERT_EQ(ReadFileBytes(path), expected);

    FileHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
    BackupFileReader reader(file.Get());
    ASSERT_TRUE(reader.Valid());
    EXPECT_EQ(reader.Size(), expected.size());
    size_t at = 0;
    for (size_t size : sizes) {
        std::vector<uint8_t> got(size);
        ASSERT_TRUE(reader.Read(got.data(), size));
        ASSERT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + at)) << at;
        at += size;
    }
    uint8_t byte = 0;
    EXPECT_FALSE(reader.Read(&byte, 1));
    EXPECT_EQ(reader.Position(), expected.size());

    // Seeks near and far, reads that would pass the end fail and read nothing.
    for (int i = 0; i < 300; ++i) {
        size_t position = random() % (expected.size() + 1);
        if (i % 3 == 0 && reader.Position() + 100 < expected.size())
            position = reader.Position() - std::min<size_t>(reader.Position(), random() % 100);
        ASSERT_TRUE(reader.Seek(position));
        size_t size = random() % 3000;
        std::vector<uint8_t> got(size);
        if (position + size > expected.size()) {
            EXPECT_FALSE(reader.Read(got.data(), size));
            continue;
        }
        ASSERT_TRUE(reader.Read(got.data(), size));
        ASSERT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + position)) << position;
        EXPECT_EQ(reader.Position(), position + size);
    }
    EXPECT_FALSE(reader.Seek(expected.size() + 1));
    EXPECT_TRUE(reader.Skip(0));
}

TEST_F(BackupFileTest, AFailedWriteSticksAndAClosedHandleReadsNothing) {
    std::string path = files.MakeFile("readonly.bin");
    FileHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(file);
    BackupFileWriter writer(file.Get());
    EXPECT_TRUE(writer.Write("abc", 3)) << "held in the buffer";
    EXPECT_FALSE(writer.Flush());
    EXPECT_TRUE(writer.Failed());
    EXPECT_FALSE(writer.Write("d", 1));
    file.Reset();
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'M', 'Z'}));

    BackupFileReader none(INVALID_HANDLE_VALUE);
    uint8_t byte = 0;
    EXPECT_FALSE(none.Valid());
    EXPECT_FALSE(none.Read(&byte, 1));
    EXPECT_FALSE(none.Seek(0));
    EXPECT_EQ(none.Remaining(), 0u);
}
