#include "engine/Job.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Job, FreshJobHasDefaults) {
    velk::Job job;
    EXPECT_EQ(job.name, "默认操作");
    EXPECT_EQ(job.description, "执行默认操作");
    EXPECT_EQ(job.iconId, 107u);
    EXPECT_EQ(job.jobId, -1);
}

TEST(Job, TextsReachThePlatformAsGbkBytes) {
    // "默认操作" in code page 936, not UTF-8.
    const unsigned char expected[] = {0xC4, 0xAC, 0xC8, 0xCF, 0xB2, 0xD9, 0xD7, 0xF7};
    velk::Job job;
    ASSERT_EQ(job.name.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(job.name.data(), expected, sizeof expected), 0);
}

TEST(Job, DefaultScanTouchesNothingEvenWhenStopped) {
    velk::EmptyJob job;
    ScanStatus status;
    status.stopRequested = true;
    status.problemCount = 5;
    ProblemList items(2);
    job.Scan(&status, &items);
    EXPECT_EQ(status.problemCount, 5);
    EXPECT_TRUE(status.stopRequested);
    EXPECT_EQ(items.size(), 2u);
}
