#include "checks/SharedProgsJob.h"

#include "support/CheckRun.h"
#include "support/SandboxTest.h"

namespace {
const char kShared[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class SharedProgsJobTest : public SandboxTest {
protected:
    void Put(const std::string& name) {
        ASSERT_TRUE(PutDword(kRootLocalMachine, kShared, name, 1));
    }
    velk::SharedProgsJob job;
};
} // namespace

TEST_F(SharedProgsJobTest, AGoneSharedFileIsReportedByItsNameWhateverTheData) {
    job.jobId = 6;
    std::string gone = files.Path("gone.dll");
    PutValue(kRootLocalMachine, kShared, gone, REG_BINARY, std::string(5000, 'x').data(), 5000);
    ProblemList items = RunScan(job);
    ASSERT_EQ(items.size(), 1u);
    const ProblemItem& item = items[0];
    EXPECT_EQ(item.rootKey, kRootLocalMachine);
    EXPECT_EQ(item.keyPath, kShared);
    EXPECT_EQ(item.itemName, gone);
    EXPECT_EQ(item.dataText, gone);
    EXPECT_EQ(item.description, "值无效。");
    EXPECT_EQ(item.locationText, kShared);
    EXPECT_EQ(item.kind, kKindValue);
    EXPECT_EQ(item.jobId, 6);
}

TEST_F(SharedProgsJobTest, PresentFilesFoldersAndPathsOffFixedDisksAreNotReported) {
    Put(files.MakeFile("here.dll"));
    Put(files.MakeDir("folder"));
    Put("gone.dll");
    Put("\\\\server\\share\\gone.dll");
    for (int i = 0; i < 3; ++i) {
        Put(kOtherDrivePresentFiles[i]);
        Put(kOtherDriveMissingFiles[i]);
    }
    EXPECT_TRUE(RunScan(job).empty());
}

TEST_F(SharedProgsJobTest, NamesOfEveryLengthAreReportedWhenTheyFit) {
    std::set<std::string> expected;
    for (size_t length : EdgeLengths()) {
        std::string name = MissingPathOfLength(length);
        Put(name);
        if (ReportedAtLength(length)) expected.insert(name);
    }
    std::string gbk = files.Path("\x81\x5C\\gone.dll");
    Put(gbk);
    expected.insert(gbk);
    EXPECT_TRUE(FoundExactly(RunScan(job), expected));
}
