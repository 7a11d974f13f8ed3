#include "checks/SoftwareLocationsJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kMuiCache[] = "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache";

class SoftwareLocationsJobTest : public SandboxTest {
protected:
    void PutApp(const std::string& subkey, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(
            PutString(kRootLocalMachine, std::string(kAppPaths) + "\\" + subkey, "", text, type));
    }
    void PutCache(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootCurrentUser, kMuiCache, name, text, type));
    }
    velk::SoftwareLocationsJob job;
};
} // namespace

TEST_F(SoftwareLocationsJobTest, AppPathsKeysComeFirstThenCacheValues) {
    job.jobId = 3;
    std::string gone = files.Path("gone.exe");
    PutCache(gone, "Gone App");
    PutApp("gone.exe", gone);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 2u);

    const ProblemItem& app = items[0];
    EXPECT_EQ(app.rootKey, kRootLocalMachine);
    EXPECT_EQ(app.keyPath, kAppPaths);
    EXPECT_EQ(app.itemName, "gone.exe");
    EXPECT_EQ(app.description, "值无效。");
    EXPECT_EQ(app.locationText, std::string("HKEY_LOCAL_MACHINE\\") + kAppPaths + "\\gone.exe");
    EXPECT_EQ(app.dataText, "(Default) = " + gone);
    EXPECT_EQ(app.kind, kKindKey);
    EXPECT_EQ(app.jobId, 3);

    const ProblemItem& cache = items[1];
    EXPECT_EQ(cache.rootKey, kRootCurrentUser);
    EXPECT_EQ(cache.keyPath, kMuiCache);
    EXPECT_EQ(cache.itemName, gone);
    EXPECT_EQ(cache.description, "值无效。");
    EXPECT_EQ(cache.locationText, std::string("HKEY_CURRENT_USER\\") + kMuiCache);
    EXPECT_EQ(cache.dataText, gone + " = Gone App");
    EXPECT_EQ(cache.kind, kKindValue);
    EXPECT_EQ(cache.jobId, 3);
}

TEST_F(SoftwareLocationsJobTest, WhatIsNeverReported) {
    std::string gone = files.Path("gone.exe");
    PutApp("quoted.exe", "\"" + gone + "\"");
    PutApp("present.exe", files.MakeFile("here.exe"));
    PutApp("cd.exe", kOtherDriveMissingFiles[0]);
    PutDword(kRootLocalMachine, std::string(kAppPaths) + "\\dword.exe", "", 1);
    // A registration without a default value, whatever else it holds.
    PutString(kRootLocalMachine, std::string(kAppPaths) + "\\nodefault.exe", "Path", gone);
    PutCache(gone, "expandable", REG_EXPAND_SZ);
    PutCache("gone.exe", "relative");
    PutCache("@shell32.dll,-100", "resource");
    for (int i = 0; i < 3; ++i) {
        PutCache(kOtherDrivePresentFiles[i], "x");
        PutCache(kOtherDriveMissingFiles[i], "x");
    }
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(SoftwareLocationsJobTest, AnExpandableDefaultValueIsExpanded) {
    SetEnvironmentVariableA("TW_APPS", files.Root().c_str());
    PutApp("expand.exe", "%TW_APPS%gone.exe", REG_EXPAND_SZ);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].dataText, "(Default) = " + files.Path("gone.exe"));
}

TEST_F(SoftwareLocationsJobTest, EachPassRunsWithoutTheOtherAndAStopSkipsTheCache) {
    std::string gone = files.Path("gone.exe");
    PutCache(gone, "x");
    EXPECT_EQ(RunScan(job).size(), 1u) << "no App Paths key";
    RemoveTree(kRootCurrentUser, kMuiCache);
    PutApp("gone.exe", gone);
    EXPECT_EQ(RunScan(job).size(), 1u) << "no MUICache key";
    PutCache(gone, "x");
    ProblemList stopped = RunScan(job, true);
    ASSERT_EQ(stopped.size(), 1u) << "the App Paths pass does not look at the request";
    EXPECT_EQ(stopped[0].kind, kKindKey);
}

TEST_F(SoftwareLocationsJobTest, TextsAndNamesOfEveryLengthAreReportedWhenTheyFit) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        std::string subkey = "len" + std::to_string(length);
        std::string path = MissingPathOfLength(length);
        PutApp(subkey, path);
        PutCache(path, "x");
        if (ReportedAtLength(length)) {
            expected.insert(subkey);
            expected.insert(path);
        }
    }
    PutApp("\x81\x5C.exe", files.Path("\x81\x5C.exe"));
    expected.insert("\x81\x5C.exe");
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
