#include "engine/JobEnumerator.h"

#include <gtest/gtest.h>

TEST(JobEnumerator, FindsEachJobByItsPositionAndIsOneAtATime) {
    {
        JobEnumerator jobs;
        EXPECT_EQ(JobEnumerator::mSingleton, &jobs);
        int32_t position = 0;
        for (velk::Job* job : jobs)
            EXPECT_EQ(jobs.FindJob(position++), job) << position;
        EXPECT_EQ(position, 9);
        EXPECT_EQ(jobs.FindJob(9), nullptr);
        EXPECT_EQ(jobs.FindJob(-1), nullptr);
    }
    EXPECT_EQ(JobEnumerator::mSingleton, nullptr) << "a new enumerator may follow";
}

TEST(JobEnumeratorDeathTest, ASecondEnumeratorStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    JobEnumerator first;
    EXPECT_DEATH({ JobEnumerator second; }, "mSingleton == 0");
}
