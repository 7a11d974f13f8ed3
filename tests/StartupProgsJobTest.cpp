#include "checks/StartupProgsJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupProgsJobTest : public SandboxTest {
protected:
    void Put(const std::string& name, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(PutString(kRootLocalMachine, kRun, name, text, type));
    }
    velk::StartupProgsJob job;
};
} // namespace

TEST_F(StartupProgsJobTest, ADeadProgramIsReportedAsItsValue) {
    job.jobId = 7;
    std::string gone = files.Path("gone.exe");
    Put("Gone", gone);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootLocalMachine);
    EXPECT_EQ(item.keyPath, kRun);
    EXPECT_EQ(item.itemName, "Gone");
    EXPECT_EQ(item.description, "值无效。");
    EXPECT_EQ(item.locationText, kRun);
    EXPECT_EQ(item.dataText, "Gone = " + gone);
    EXPECT_EQ(item.jobId, 7);
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_TRUE(item.selected);
}

TEST_F(StartupProgsJobTest, ACommandIsReportedOnlyWhenTheProgramItRunsIsGone) {
    std::string app = files.MakeFile("Tools\\app.exe");
    std::string script = files.MakeFile("Tools\\run.bat");
    std::string folder = files.MakeDir("Tools");
    Put("present", app);
    Put("present-args", app + " /minimized");
    Put("present-upper-case-args", files.Path("Tools\\APP.EXE") + " -x \"y z\"");
    Put("present-bat-args", script + " now");
    Put("present-folder", folder);
    Put("gone-args", files.Path("Tools\\gone.exe") + " /minimized");
    Put("gone-bat-args", files.Path("Tools\\gone.bat") + " now");
    // Without .exe or .bat the program ends at the first blank.
    Put("gone-com-args", files.Path("Tools\\gone.com") + " -q");
    Put("present-com-args", files.MakeFile("Tools\\tool.com") + " -q");
    ProblemList items = RunScan(job);
    EXPECT_EQ(ItemNames(items),
              (std::set<std::string>{"gone-args", "gone-bat-args", "gone-com-args"}));
    for (const ProblemItem& item : items) {
        if (item.itemName == "gone-args") {
            EXPECT_EQ(item.dataText, "gone-args = " + files.Path("Tools\\gone.exe") + " /minimized")
                << "the whole command is shown";
        }
    }
}

TEST_F(StartupProgsJobTest, OnlyUnquotedFixedDiskPathsAreEverReported) {
    std::string gone = files.Path("gone.exe");
    Put("quoted", "\"" + gone + "\" /x");
    Put("quoted-unterminated", "\"" + gone);
    Put("env-as-sz", "%SystemRoot%\\gone.exe");
    Put("bare", "gone.exe");
    Put("unc", "\\\\server\\share\\gone.exe");
    Put("unmapped", "Q:\\gone.exe");
    for (int i = 0; i < 3; ++i) {
        Put("other-present" + std::to_string(i), kOtherDrivePresentFiles[i]);
        Put("other-missing" + std::to_string(i), kOtherDriveMissingFiles[i]);
        Put("other-missing-args" + std::to_string(i),
            std::string(kOtherDriveMissingFiles[i]) + " /x");
    }
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(StartupProgsJobTest, ExpandableTextIsExpandedFirstAndShownExpanded) {
    SetEnvironmentVariableA("TW_STARTUP", files.Root().c_str());
    Put("expand", "%TW_STARTUP%gone.exe", REG_EXPAND_SZ);
    Put("expand-present", "%TW_STARTUP%here.exe -q", REG_EXPAND_SZ);
    files.MakeFile("here.exe");
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].dataText, "expand = " + files.Path("gone.exe"));
}

TEST_F(StartupProgsJobTest, OtherTypesAndTheDefaultValue) {
    std::string gone = files.Path("gone.exe");
    PutValue(kRootLocalMachine, kRun, "binary", REG_BINARY, gone.c_str(), gone.size() + 1);
    PutValue(kRootLocalMachine, kRun, "multi", REG_MULTI_SZ, (gone + '\0').c_str(),
             gone.size() + 2);
    PutDword(kRootLocalMachine, kRun, "dword", 0x5C3A43);
    Put("", gone);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].itemName, "");
    EXPECT_EQ(items[0].dataText, " = " + gone);
}

TEST_F(StartupProgsJobTest, AMissingOrEmptyKeyFindsNothingAndStopIsIgnored) {
    EXPECT_TRUE(RunScan(job).empty());
    PutKey(kRootLocalMachine, kRun);
    EXPECT_TRUE(RunScan(job).empty());
    Put("gone", files.Path("gone.exe"));
    EXPECT_EQ(RunScan(job, true).size(), 1u);
    // Items of earlier jobs stay where they are.
    ScanStatus status;
    ProblemList items(2);
    items[1].itemName = "earlier";
    job.Scan(&status, &items);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].itemName, "earlier");
    EXPECT_EQ(status.problemCount, 1);
}

TEST_F(StartupProgsJobTest, TextsOfEveryLengthAreReportedWhenTheyFitAndNeverOverrun) {
    std::set<std::string> expected;
    for (size_t length = 0; length <= 2100; ++length) {
        std::string name = "len" + std::to_string(length);
        Put(name, MissingPathOfLength(length));
        if (ReportedAtLength(length)) expected.insert(name);
    }
    // Names that do not fit are passed over; the value after them is still read.
    Put(std::string(2048, 'n'), files.Path("gone.exe"));
    Put(std::string(2047, 'n'), files.Path("gone.exe"));
    expected.insert(std::string(2047, 'n'));
    // GBK names and paths with a 0x5C trail byte.
    ASSERT_TRUE(CreateDirectoryA(files.Path("\x81\x5C").c_str(), nullptr));
    files.MakeFile("\x81\x5C\\here.exe");
    Put("\x81\x5C", files.Path("\x81\x5C\\gone.exe"));
    expected.insert("\x81\x5C");
    Put("\x81\x5C-present", files.Path("\x81\x5C\\here.exe") + " /x");
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
