#include "checks/WindowsFontsJob.h"

#include "engine/Handles.h"
#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::string WindowsDirectory() {
    char directory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory, length);
}

// A font file in the real fonts folder of the test prefix, removed afterwards.
class FontFile {
public:
    FontFile() : m_path(WindowsDirectory() + "\\Fonts\\tidewell-test.ttf") {
        FileHandle file(CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file.Valid());
    }
    ~FontFile() { DeleteFileA(m_path.c_str()); }

private:
    std::string m_path;
};

class WindowsFontsJobTest : public SandboxTest {
protected:
    void Put(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootLocalMachine, kFonts, name, text, type));
    }
    velk::WindowsFontsJob job;
};
} // namespace

TEST_F(WindowsFontsJobTest, ABareNameIsLookedForInTheFontsFolderAndShownAsStored) {
    job.jobId = 4;
    FontFile present;
    Put("Present (TrueType)", "TIDEWELL-TEST.TTF");
    Put("Gone (TrueType)", "tidewell-gone.ttf");
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootLocalMachine);
    EXPECT_EQ(item.keyPath, kFonts);
    EXPECT_EQ(item.itemName, "Gone (TrueType)");
    EXPECT_EQ(item.description, "字体项目无效");
    EXPECT_EQ(item.locationText, std::string("HKEY_LOCAL_MACHINE\\") + kFonts);
    EXPECT_EQ(item.dataText, "Gone (TrueType) = tidewell-gone.ttf");
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_EQ(item.jobId, 4);
}

TEST_F(WindowsFontsJobTest, APathIsTestedAsItIsWhereverItLies) {
    SetEnvironmentVariableA("TW_FONTS", files.Root().c_str());
    Put("present", files.MakeFile("here.ttf"));
    Put("gone", files.Path("gone.ttf"));
    Put("expand", "%TW_FONTS%gone2.ttf", REG_EXPAND_SZ);
    Put("rooted", "\\gone.ttf");
    for (int i = 0; i < 3; ++i) {
        Put("other-present" + std::to_string(i),
            std::string(kOtherDrivePresentFiles[i], 3) + "app\\present.ttf");
        Put("other-missing" + std::to_string(i), kOtherDriveMissingFiles[i]);
    }
    PutDword(kRootLocalMachine, kFonts, "dword", 1);
    PutValue(kRootLocalMachine, kFonts, "binary", REG_BINARY, "x.ttf", 6);
    EXPECT_EQ(ItemNames(RunScan(job)), (std::set<std::string>{"gone", "expand"}));
}

TEST_F(WindowsFontsJobTest, AJoinThatWouldNotFitIsSkipped) {
    // The fonts folder takes the Windows directory and "\FONTS\".
    size_t room = 2047 - WindowsDirectory().size() - 7;
    Put("fits", std::string(room, 'f'));
    Put("too-long", std::string(room + 1, 'f'));
    Put("\x81\x5C", "\x81\x5C.ttf");
    std::set<std::string> expected = {"fits", "\x81\x5C"};
    for (size_t length : EdgeLengths()) {
        std::string name = "len" + std::to_string(length);
        Put(name, MissingPathOfLength(length));
        // Short texts are bare names; from "C:\" on they are paths of their own.
        if (length < 3 ? length <= room && length > 0 : ReportedAtLength(length))
            expected.insert(name);
    }
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
