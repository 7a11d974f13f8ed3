#include "checks/HelpresJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelp[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";

class HelpresJobTest : public SandboxTest {
protected:
    void Put(const char* key, const std::string& file, const std::string& folder,
             DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootLocalMachine, key, file, folder, type));
    }
    velk::HelpresJob job;
};
} // namespace

TEST_F(HelpresJobTest, FolderAndNameAreJoinedAndHelpComesBeforeHtmlHelp) {
    job.jobId = 5;
    std::string folder = files.Path("Help");
    Put(kHtmlHelp, "new.chm", folder + "\\");
    Put(kHelp, "old.hlp", folder);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 2u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootLocalMachine);
    EXPECT_EQ(item.keyPath, kHelp);
    EXPECT_EQ(item.itemName, "old.hlp");
    EXPECT_EQ(item.description, "帮助文件 old.hlp 不存在");
    EXPECT_EQ(item.locationText, std::string("HKEY_LOCAL_MACHINE\\") + kHelp);
    EXPECT_EQ(item.dataText, "old.hlp = " + folder + "\\");
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_EQ(item.jobId, 5);
    EXPECT_EQ(items[1].keyPath, kHtmlHelp);
    EXPECT_EQ(items[1].locationText, std::string("HKEY_LOCAL_MACHINE\\") + kHtmlHelp);
    EXPECT_EQ(items[1].dataText, "new.chm = " + folder + "\\") << "no second backslash";
}

TEST_F(HelpresJobTest, TheFolderEndsByCharacterNotByByte) {
    // "乗" ends in the byte 0x5C but is no separator: the folder still gets one.
    std::string folder = files.Path("\x81\x5C");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    files.MakeFile("\x81\x5C\\here.hlp");
    Put(kHelp, "a.hlp", folder);
    Put(kHelp, "here.hlp", folder);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].dataText, "a.hlp = " + folder + "\\");
}

TEST_F(HelpresJobTest, WhatIsNeverReported) {
    files.MakeFile("Help\\here.hlp");
    Put(kHelp, "here.hlp", files.Path("Help"));
    Put(kHelp, "relative.hlp", "");
    PutDword(kRootLocalMachine, kHelp, "dword.hlp", 1);
    for (const char* folder : {"R:\\app", "S:\\app", "T:\\app\\"}) {
        Put(kHtmlHelp, "present.exe", folder);
        Put(kHtmlHelp, "gone.chm", folder);
    }
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(HelpresJobTest, EmptyDataTestsTheNameAloneAndAMissingHelpKeyDoesNotStopHtmlHelp) {
    std::string gone = files.Path("gone.chm");
    Put(kHtmlHelp, gone, "");
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].dataText, gone + " = ");
}

TEST_F(HelpresJobTest, AStopBeforeTheScanSkipsBothKeys) {
    Put(kHelp, "old.hlp", files.Path("Help"));
    Put(kHtmlHelp, "old.chm", files.Path("Help"));
    EXPECT_TRUE(RunScan(job, true).empty());
}

TEST_F(HelpresJobTest, AJoinThatWouldNotFitIsSkipped) {
    std::string folder = "C:\\" + std::string(997, 'f'); // 1000 bytes, then the backslash
    Put(kHelp, std::string(1046, 'a'), folder);          // 2047 bytes joined
    Put(kHelp, std::string(1047, 'b'), folder);          // 2048
    Put(kHelp, std::string(2000, 'c'), folder + "\\");
    std::set<std::string> expected = {std::string(1046, 'a')};
    for (size_t length : EdgeLengths()) {
        std::string name = "len" + std::to_string(length);
        Put(kHtmlHelp, name, MissingPathOfLength(length));
        // Folder, backslash and name must leave room for the terminator.
        if (length >= 3 && length + 1 + name.size() <= 2047) expected.insert(name);
    }
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
