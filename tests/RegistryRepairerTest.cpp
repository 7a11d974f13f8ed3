#include "engine/RegistryRepairer.h"

#include "support/BackupFolderTest.h"

using RegistryRepairerTest = SandboxTest;

TEST_F(RegistryRepairerTest, DeletesWhatIsTickedAndNothingElse) {
    const uint32_t hkcu = kRootCurrentUser;
    // Names of 2047 bytes, of 2048 and 400 bytes in two-byte characters, of 0x5C second bytes.
    const std::string r = "Software\\R", n(2047, 'n'), wide(2048, '\xB1'), subkey(400, '\xB1');
    auto plant = [&] {
        RemoveTree(hkcu, r);
        for (const std::string& name :
             {std::string(), std::string("a"), std::string("乗"), n, wide})
            ASSERT_TRUE(PutString(hkcu, r, name, "C:\\gone.exe"));
        ASSERT_TRUE(PutKey(hkcu, r + "\\乗俓\\瞈砛碶"));
        ASSERT_TRUE(PutString(hkcu, r + "\\长\\" + subkey, wide, "2"));
    };
    RegKey software; // a handle is a number, as a root is
    ASSERT_TRUE(software.Create(hkcu, "Software", KEY_READ));
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(software.Get()));
    const struct {
        const char* what;
        bool result;
        std::vector<std::string> gone;
        ProblemList items;
    } cases[] = {
        {"unticked, another kind",
         true,
         {},
         {MakeItem(hkcu, r, "a", 0, false), MakeItem(hkcu, r, "乗俓", 1, false),
          MakeItem(hkcu, r, "乗", 2)}},
        {"a nameless key", false, {"\\:|"}, {MakeItem(hkcu, r, "", 1), MakeItem(hkcu, r, "", 0)}},
        {"only the predefined roots", false, {}, {MakeItem(handle, "R", "a", 0)}},
        {"names of 2047 and 2048 bytes",
         true,
         {"\\:" + n + "|", "\\:" + wide + "|", "\\长\\"},
         {MakeItem(hkcu, r, n, 0), MakeItem(hkcu, r, wide, 0), MakeItem(hkcu, r, "长", 1)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        plant();
        const std::string before = DumpTree(hkcu, r);
        EXPECT_EQ(RegistryRepairer().DeleteSelectedItems(c.items), c.result);
        EXPECT_EQ(DumpTree(hkcu, r), Without(before, c.gone));
    }
}
