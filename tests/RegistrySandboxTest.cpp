#include "support/RegistrySandbox.h"

#include "engine/ProblemItem.h"

#include <gtest/gtest.h>

TEST(RegistrySandbox, StartsEmptyAndNothingPlantedInsideReachesTheRealRoots) {
    const char probe[] = "Software\\TidewellLeakProbe";
    std::string scratch;
    for (int round = 0; round < 2; ++round) {
        RegistrySandbox sandbox;
        ASSERT_TRUE(sandbox.Active());
        scratch = sandbox.ScratchPath();
        EXPECT_FALSE(KeyExists(kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion"));
        for (uint32_t root : {kRootLocalMachine, kRootCurrentUser, kRootClassesRoot}) {
            EXPECT_FALSE(KeyExists(root, probe)) << "left by the round before";
            ASSERT_TRUE(PutString(root, probe, "v", "inside"));
        }
    }
    for (uint32_t root : {kRootLocalMachine, kRootCurrentUser, kRootClassesRoot})
        EXPECT_FALSE(KeyExists(root, probe)) << std::hex << root;
    EXPECT_FALSE(KeyExists(kRootCurrentUser, scratch));
}
