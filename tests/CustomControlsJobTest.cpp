#include "checks/CustomControlsJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
class CustomControlsJobTest : public SandboxTest {
protected:
    void PutServer(const std::string& classId, const std::string& server, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootClassesRoot, "CLSID\\" + classId + "\\InprocServer32", "",
                              server, type));
    }
    velk::CustomControlsJob job;
};
} // namespace

TEST_F(CustomControlsJobTest, AClassWhoseServerIsGoneIsReportedAsTheWholeClass) {
    job.jobId = 2;
    std::string gone = files.Path("gone.dll");
    PutServer("{GONE}", gone);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootClassesRoot);
    EXPECT_EQ(item.keyPath, "CLSID");
    EXPECT_EQ(item.itemName, "{GONE}");
    EXPECT_EQ(item.description, "自定义控制器无效。");
    EXPECT_EQ(item.locationText, "HKEY_CLASSES_ROOT\\CLSID\\{GONE}\\InprocServer32");
    EXPECT_EQ(item.dataText, "(Default) = " + gone);
    EXPECT_EQ(item.kind, kKindKey);
    EXPECT_EQ(item.jobId, 2);
}

TEST_F(CustomControlsJobTest, WhatIsNeverReported) {
    std::string gone = files.Path("gone.dll");
    PutServer("{BARE}", "gone.dll");
    PutServer("{QUOTED}", "\"" + gone + "\"");
    PutServer("{PRESENT}", files.MakeFile("here.dll"));
    PutServer("{ENV-AS-SZ}", "%SystemRoot%\\gone.dll");
    PutServer("{CD}", kOtherDriveMissingFiles[0]);
    PutServer("{NET}", kOtherDriveMissingFiles[2]);
    // Only the in-process server counts.
    PutString(kRootClassesRoot, "CLSID\\{LOCAL}\\LocalServer32", "", gone);
    PutString(kRootClassesRoot, "CLSID\\{LOCAL}", "", gone);
    PutString(kRootClassesRoot, "CLSID\\{NAMED}\\InprocServer32", "ThreadingModel", gone);
    PutDword(kRootClassesRoot, "CLSID\\{DWORD}\\InprocServer32", "", 1);
    PutServer("{LONG}", "C:\\" + std::string(2048, 'x'));
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(CustomControlsJobTest, AnExpandableServerIsExpandedAndAStopEndsTheWalk) {
    SetEnvironmentVariableA("TW_COM", files.Root().c_str());
    PutServer("{EXPAND}", "%TW_COM%gone.dll", REG_EXPAND_SZ);
    EXPECT_TRUE(RunScan(job, true).empty());
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].dataText, "(Default) = " + files.Path("gone.dll"));
}

TEST_F(CustomControlsJobTest, ServersOfEveryLengthAndGbkClassNames) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        std::string classId = "{" + std::to_string(length) + "}";
        PutServer(classId, MissingPathOfLength(length));
        if (ReportedAtLength(length)) expected.insert(classId);
    }
    PutServer("\x81\x5C", files.Path("gone.dll"));
    expected.insert("\x81\x5C");
    ProblemList items = RunScan(job);
    EXPECT_TRUE(FoundExactly(items, expected));
    for (const ProblemItem& item : items) {
        if (item.itemName == "\x81\x5C") {
            EXPECT_EQ(item.locationText, "HKEY_CLASSES_ROOT\\CLSID\\\x81\x5C\\InprocServer32");
        }
    }
}
