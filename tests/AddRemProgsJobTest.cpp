#include "checks/AddRemProgsJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

class AddRemProgsJobTest : public SandboxTest {
protected:
    void PutFolder(const std::string& name) {
        ASSERT_TRUE(PutString(kRootLocalMachine, kFolders, name, ""));
    }
    void PutUninstall(const std::string& subkey, const std::string& command, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootLocalMachine, std::string(kUninstall) + "\\" + subkey,
                              "UninstallString", command, type));
    }
    velk::AddRemProgsJob job;
};
} // namespace

TEST_F(AddRemProgsJobTest, AGoneInstallerFolderIsReportedByItsName) {
    job.jobId = 8;
    std::string gone = files.Path("gone\\");
    PutDword(kRootLocalMachine, kFolders, gone, 1);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootLocalMachine);
    EXPECT_EQ(item.keyPath, kFolders);
    EXPECT_EQ(item.itemName, gone);
    EXPECT_EQ(item.description, "添加/删除 项目无效。");
    EXPECT_EQ(item.locationText, kFolders);
    EXPECT_EQ(item.dataText, gone);
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_EQ(item.jobId, 8);
}

TEST_F(AddRemProgsJobTest, PresentFoldersAndFoldersOffFixedDisksAreNotReported) {
    PutFolder(files.MakeDir("kept") + "\\");
    PutFolder("relative\\gone\\");
    // R:, S: and T: hold a folder app with files in it.
    for (const char* folder : {"R:\\app\\", "S:\\app\\", "T:\\app\\"})
        PutFolder(folder);
    for (const char* missing : kOtherDriveMissingFiles)
        PutFolder(std::string(missing) + "\\");
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(AddRemProgsJobTest, FolderNamesOfEveryLengthAreReportedWhenTheyFit) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        PutFolder(MissingPathOfLength(length));
        if (ReportedAtLength(length)) expected.insert(MissingPathOfLength(length));
    }
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}

TEST_F(AddRemProgsJobTest, AStopSkipsBothPassesAndBadUninstallEntriesDoNotStopTheFolders) {
    std::string gone = files.Path("gone\\");
    PutFolder(gone);
    PutUninstall("dword", "");
    PutDword(kRootLocalMachine, std::string(kUninstall) + "\\dword", "UninstallString", 1);
    PutString(kRootLocalMachine, std::string(kUninstall) + "\\nostring", "DisplayName", "x");
    PutUninstall("too-long", "\"" + std::string(4096, 'C'));
    EXPECT_TRUE(RunScan(job, true).empty());
    EXPECT_EQ(ItemNames(RunScan(job)), std::set<std::string>{gone});
}

TEST_F(AddRemProgsJobTest, AnUninstallCommandThatCannotRunIsReportedAsTheWholeRegistration) {
    job.jobId = 8;
    std::string gone = files.Path("App\\uninstall.exe");
    PutUninstall("GoneApp", "\"" + gone + "\"");
    PutUninstall("Msi", "msiexec /x{12345678-1234-1234-1234-123456789012}");
    PutUninstall("Present", "\"" + files.MakeFile("Kept\\uninstall.exe") + "\" /S");
    PutUninstall("PresentLog", files.Path("Kept\\uninstall.exe") + " -f\"" +
                                   files.MakeFile("Kept\\a.log") + "\"");
    PutUninstall("GoneLog",
                 files.Path("Kept\\uninstall.exe") + " -f\"" + files.Path("Kept\\b.log") + "\"");
    PutUninstall("Unknown", "no-such-uninstaller-tidewell /x");
    PutUninstall("Blank", "   ");
    ProblemList items = RunScan(job);
    EXPECT_TRUE(FoundExactly(items, {"GoneApp", "GoneLog", "Unknown"}));
    for (const ProblemItem& item : items) {
        if (item.itemName != "GoneApp") continue;
        EXPECT_EQ(item.rootKey, kRootLocalMachine);
        EXPECT_EQ(item.keyPath, kUninstall);
        EXPECT_EQ(item.description, "添加/删除 项目无效。");
        EXPECT_EQ(item.locationText, kUninstall);
        EXPECT_EQ(item.dataText, "GoneApp = \"" + gone + "\"") << "the command as stored";
        EXPECT_EQ(item.kind, kKindKey);
        EXPECT_EQ(item.jobId, 8);
    }
}

TEST_F(AddRemProgsJobTest, UninstallItemsComeFirstAndAnExpandableCommandIsExpanded) {
    SetEnvironmentVariableA("TW_UNINSTALL", files.Root().c_str());
    std::string folder = files.Path("gone\\");
    PutFolder(folder);
    PutUninstall("Expand", "%TW_UNINSTALL%gone.exe /S", REG_EXPAND_SZ);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].itemName, "Expand");
    EXPECT_EQ(items[0].dataText, "Expand = " + files.Path("gone.exe") + " /S");
    EXPECT_EQ(items[1].itemName, folder);
}

TEST_F(AddRemProgsJobTest, UninstallCommandsOfEveryLength) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        std::string subkey = "len" + std::to_string(length);
        PutUninstall(subkey, MissingPathOfLength(length));
        // A short text is a bare program name nobody can find; a long one must fit.
        if (length > 0 && length != 3 && length <= 2047) expected.insert(subkey);
    }
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
