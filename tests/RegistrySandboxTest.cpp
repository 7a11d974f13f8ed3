#include "support/RegistrySandbox.h"

#include "engine/ProblemItem.h"

#include <gtest/gtest.h>

namespace {
const char kProbe[] = "Software\\TidewellLeakProbe";
}

TEST(RegistrySandbox, NothingWrittenInsideReachesTheRealRoots) {
    const uint32_t roots[] = {kRootLocalMachine, kRootCurrentUser, kRootClassesRoot};
    std::string scratch;
    {
        RegistrySandbox sandbox;
        ASSERT_TRUE(sandbox.Active());
        scratch = sandbox.ScratchPath();
        for (uint32_t root : roots) {
            ASSERT_TRUE(PutString(root, kProbe, "v", "inside"));
            EXPECT_TRUE(ValueExists(root, kProbe, "v"));
        }
    }
    for (uint32_t root : roots)
        EXPECT_FALSE(KeyExists(root, kProbe)) << std::hex << root;
    // Only this process's scratch: tests running in parallel have their own.
    EXPECT_FALSE(KeyExists(kRootCurrentUser, scratch));
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
