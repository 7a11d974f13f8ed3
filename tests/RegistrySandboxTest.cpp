#include "support/RegistrySandbox.h"

#include "engine/ProblemItem.h"

#include <gtest/gtest.h>

namespace {
const char kProbe[] = "Software\\TidewellLeakProbe";
}

TEST(RegistrySandbox, NothingWrittenInsideReachesTheRealRoots) {
    const uint32_t roots[] = {kRootLocalMachine, kRootCurrentUser, kRootClassesRoot};
    {
        RegistrySandbox sandbox;
        ASSERT_TRUE(sandbox.Active());
        for (uint32_t root : roots) {
            ASSERT_TRUE(PutString(root, kProbe, "v", "inside"));
            EXPECT_TRUE(ValueExists(root, kProbe, "v"));
        }
    }
    for (uint32_t root : roots)
        EXPECT_FALSE(KeyExists(root, kProbe)) << std::hex << root;
    EXPECT_FALSE(KeyExists(kRootCurrentUser, "Software\\TidewellSandbox"));
}

TEST(RegistrySandbox, StartsEmptyAndDumpsWhatWasPlanted) {
    RegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.Active());
    EXPECT_FALSE(KeyExists(kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion"));
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\A\\B", "x", "1"));
    ASSERT_TRUE(PutDword(kRootLocalMachine, "Software\\A", "", 7));
    EXPECT_EQ(DumpTree(kRootLocalMachine, "Software\\A"),
              "\\\n\\:|4|07000000\n\\B\\\n\\B\\:x|1|3100\n");
}
