#include "engine/JobEnumerator.h"

#include "checks/AddRemProgsJob.h"
#include "checks/CustomControlsJob.h"
#include "checks/HelpresJob.h"
#include "checks/RegistryIntegrityJob.h"
#include "checks/SharedProgsJob.h"
#include "checks/SoftwareLocationsJob.h"
#include "checks/StartupProgsJob.h"
#include "checks/WindowsFontsJob.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {
struct Expected {
    const std::type_info& type;
    const char* name;
    const char* description;
    uint32_t iconId;
};

const Expected kJobs[] = {
    {typeid(velk::EmptyJob), "我的电脑", "扫描你计算机中注册表所有部分。", 107},
    {typeid(velk::RegistryIntegrityJob), "注册表完整性", "在你的系统执行基本的注册表完整性检查。",
     116},
    {typeid(velk::CustomControlsJob), "自定义控制器", "扫描到在你的系统中一个无效的控制器。", 117},
    {typeid(velk::SoftwareLocationsJob), "软件位置", "检查软件位置。", 118},
    {typeid(velk::WindowsFontsJob), "Windows 字体", "扫描在 Windows 字体中的旧记录。", 119},
    {typeid(velk::HelpresJob), "帮助和资源", "在你的系统中执行基本的帮助和资源检查。", 108},
    {typeid(velk::SharedProgsJob), "共享程序", "在你的系统中查找共享文件。", 120},
    {typeid(velk::StartupProgsJob), "启动程序", "在你的系统执行基本的注册表完整性检查。", 121},
    {typeid(velk::AddRemProgsJob), "添加/删除 程序",
     "可以使用强大的 Velk Clearway 技术进行无效程序项目搜索。", 122},
};
} // namespace

TEST(JobEnumerator, ListsTheNineJobsInOrderNumberedByPosition) {
    JobEnumerator jobs;
    EXPECT_EQ(JobEnumerator::mSingleton, &jobs);
    ASSERT_EQ(jobs.size(), 9u);
    int32_t position = 0;
    for (velk::Job* job : jobs) {
        const Expected& expected = kJobs[position];
        EXPECT_TRUE(typeid(*job) == expected.type) << position;
        EXPECT_EQ(job->name, expected.name) << position;
        EXPECT_EQ(job->description, expected.description) << position;
        EXPECT_EQ(job->iconId, expected.iconId) << position;
        EXPECT_EQ(job->jobId, position);
        EXPECT_EQ(jobs.FindJob(position), job);
        ++position;
    }
    EXPECT_EQ(jobs.FindJob(0)->name, "我的电脑");
    EXPECT_TRUE(typeid(*jobs.FindJob(8)) == typeid(velk::AddRemProgsJob));
    EXPECT_EQ(jobs.FindJob(9), nullptr);
    EXPECT_EQ(jobs.FindJob(-1), nullptr);
}

TEST(JobEnumerator, AJobBuiltOnItsOwnIsNotYetNumbered) {
    velk::StartupProgsJob job;
    EXPECT_EQ(job.jobId, -1);
}

TEST(JobEnumeratorDeathTest, ASecondEnumeratorStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            JobEnumerator first;
            JobEnumerator second;
        },
        "mSingleton == 0");
}

TEST(JobEnumerator, ANewEnumeratorCanFollowADestroyedOne) {
    { JobEnumerator first; }
    EXPECT_EQ(JobEnumerator::mSingleton, nullptr);
    JobEnumerator second;
    EXPECT_EQ(JobEnumerator::mSingleton, &second);
    EXPECT_EQ(second.FindJob(7)->name, "启动程序");
}
