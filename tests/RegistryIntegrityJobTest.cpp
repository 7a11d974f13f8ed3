#include "checks/RegistryIntegrityJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class RegistryIntegrityJobTest : public SandboxTest {
protected:
    void Put(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootCurrentUser, kShellFolders, name, text, type));
    }
    velk::RegistryIntegrityJob job;
};
} // namespace

TEST_F(RegistryIntegrityJobTest, AFolderBelowTheProfileThatWasDeletedIsReportedExpanded) {
    job.jobId = 1;
    Put("Personal", "%USERPROFILE%\\tidewell-deleted", REG_EXPAND_SZ);
    char profile[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH), 2u);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootCurrentUser);
    EXPECT_EQ(item.keyPath, kShellFolders);
    EXPECT_EQ(item.itemName, "Personal");
    EXPECT_EQ(item.description, "值无效。");
    EXPECT_EQ(item.locationText, std::string("HKEY_CURRENT_USER\\") + kShellFolders);
    EXPECT_EQ(item.dataText, std::string("Personal = ") + profile + "\\tidewell-deleted");
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_EQ(item.jobId, 1);
}

TEST_F(RegistryIntegrityJobTest, ExistingFoldersAndFoldersOffFixedDisksAreNotReported) {
    Put("AppData", "%USERPROFILE%", REG_EXPAND_SZ);
    Put("Desktop", files.MakeDir("Desktop"));
    Put("Share", "\\\\server\\share\\Documents");
    Put("Unset", "%TW_NOT_SET%\\Documents", REG_EXPAND_SZ);
    for (const char* folder : {"R:\\app", "S:\\app", "T:\\app", "T:\\gone"})
        Put(folder, folder);
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(RegistryIntegrityJobTest, TextsOfEveryLengthAreReportedWhenTheyFit) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        std::string name = "len" + std::to_string(length);
        Put(name, MissingPathOfLength(length), length % 2 ? REG_SZ : REG_EXPAND_SZ);
        if (ReportedAtLength(length)) expected.insert(name);
    }
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
