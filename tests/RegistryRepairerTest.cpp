#include "engine/RegistryRepairer.h"

#include "engine/Handles.h"
#include "support/BackupFolderTest.h"
#include "support/SandboxTest.h"

#include <gtest/gtest.h>

namespace {

const char kBase[] = "Software\\Repair";

class RegistryRepairerTest : public SandboxTest {
protected:
    RegistryRepairer repairer;
};

} // namespace

TEST_F(RegistryRepairerTest, NothingTickedDeletesNothingAndSucceeds) {
    ASSERT_TRUE(PutString(kRootLocalMachine, kBase, "a", "C:\\gone.exe"));
    ASSERT_TRUE(PutKey(kRootLocalMachine, std::string(kBase) + "\\Sub"));
    std::string before = DumpTree(kRootLocalMachine, kBase);

    EXPECT_TRUE(repairer.DeleteSelectedItems({}));
    ProblemList unticked = {MakeItem(kRootLocalMachine, kBase, "a", kKindValue, false),
                            MakeItem(kRootLocalMachine, kBase, "Sub", kKindKey, false)};
    EXPECT_TRUE(repairer.DeleteSelectedItems(unticked));
    EXPECT_EQ(DumpTree(kRootLocalMachine, kBase), before);
}

TEST_F(RegistryRepairerTest, KeyTreeOfAnyDepthGoesWithEveryValueAndNothingBeside) {
    // Code page 936 names whose second bytes are 0x5C, and subkey names longer in bytes
    // than in characters.
    std::string path = std::string(kBase) + "\\Tree";
    const std::string names[] = {"乗俓", "注册表软件注册表软件注册表软件注册表", "a", "瞈砛碶"};
    std::string deep = path;
    for (int level = 0; level < 8; ++level) {
        deep += "\\" + names[level % 4];
        ASSERT_TRUE(PutString(kRootCurrentUser, deep, "", "默认"));
        ASSERT_TRUE(PutString(kRootCurrentUser, deep, names[(level + 1) % 4], "x"));
        ASSERT_TRUE(PutKey(kRootCurrentUser, deep + "\\空" + names[level % 4]));
    }
    ASSERT_TRUE(PutString(kRootCurrentUser, kBase, "Keep", "1"));
    ASSERT_TRUE(PutKey(kRootCurrentUser, std::string(kBase) + "\\Tree2"));

    EXPECT_TRUE(repairer.DeleteSelectedItems({MakeItem(kRootCurrentUser, kBase, "Tree", 1)}));
    EXPECT_FALSE(KeyExists(kRootCurrentUser, path));
    EXPECT_EQ(DumpTree(kRootCurrentUser, kBase), "\\\n\\:Keep|1|3100\n\\Tree2\\\n");
}

TEST_F(RegistryRepairerTest, ValuesByNameTheDefaultOneByTheEmptyName) {
    ASSERT_TRUE(PutString(kRootClassesRoot, kBase, "", "default"));
    ASSERT_TRUE(PutString(kRootClassesRoot, kBase, "乗", "named"));
    ASSERT_TRUE(PutString(kRootClassesRoot, kBase, "other", "stays"));

    EXPECT_TRUE(repairer.DeleteSelectedItems(
        {MakeItem(kRootClassesRoot, kBase, "", 0), MakeItem(kRootClassesRoot, kBase, "乗", 0)}));
    EXPECT_FALSE(ValueExists(kRootClassesRoot, kBase, ""));
    EXPECT_FALSE(ValueExists(kRootClassesRoot, kBase, "乗"));
    EXPECT_TRUE(ValueExists(kRootClassesRoot, kBase, "other"));
}

TEST_F(RegistryRepairerTest, VectorOrderAFailedItemNeverStopsTheWalk) {
    std::string tree = std::string(kBase) + "\\T";
    ASSERT_TRUE(PutString(kRootLocalMachine, tree, "inside", "1"));
    ASSERT_TRUE(PutString(kRootLocalMachine, kBase, "after", "1"));
    ASSERT_TRUE(PutString(kRootLocalMachine, kBase, "odd", "1"));
    ProblemItem otherKind = MakeItem(kRootLocalMachine, kBase, "odd", 2);

    // The tree goes first, so the value inside it no longer opens; the missing key fails
    // too; the items after them are still done, the other kind counts for nothing.
    EXPECT_FALSE(repairer.DeleteSelectedItems(
        {MakeItem(kRootLocalMachine, kBase, "T", 1), MakeItem(kRootLocalMachine, tree, "inside", 0),
         MakeItem(kRootLocalMachine, "Software\\No", "x", 1), otherKind,
         MakeItem(kRootLocalMachine, kBase, "after", 0)}));
    EXPECT_FALSE(KeyExists(kRootLocalMachine, tree));
    EXPECT_FALSE(ValueExists(kRootLocalMachine, kBase, "after"));
    EXPECT_TRUE(ValueExists(kRootLocalMachine, kBase, "odd"));
    EXPECT_TRUE(repairer.DeleteSelectedItems({otherKind}));
}

TEST_F(RegistryRepairerTest, AKeyItemWithoutANameIsRefusedAndDeletesNothing) {
    ASSERT_TRUE(PutString(kRootClassesRoot, "CLSID\\{1}", "", "C:\\gone.dll"));
    ASSERT_TRUE(PutString(kRootClassesRoot, "CLSID", "v", "1"));
    ASSERT_TRUE(PutString(kRootClassesRoot, kBase, "later", "1"));
    std::string before = DumpTree(kRootClassesRoot, "CLSID");

    EXPECT_FALSE(repairer.DeleteSelectedItems({MakeItem(kRootClassesRoot, "CLSID", "", 1),
                                               MakeItem(kRootClassesRoot, kBase, "later", 0)}));
    EXPECT_EQ(DumpTree(kRootClassesRoot, "CLSID"), before);
    EXPECT_FALSE(ValueExists(kRootClassesRoot, kBase, "later"));
}

TEST_F(RegistryRepairerTest, OnlyThePredefinedRootsAreReached) {
    ASSERT_TRUE(PutString(kRootCurrentUser, kBase, "v", "1"));
    // A number that is not a root could be any handle the process holds, this one included.
    RegKey open;
    ASSERT_TRUE(open.Open(kRootCurrentUser, "Software", kRepairAccess));
    ProblemItem item = MakeItem(kRootCurrentUser, "Repair", "v", 0);
    item.rootKey = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(open.Get()));
    EXPECT_FALSE(repairer.DeleteSelectedItems({item}));
    item.rootKey = 0x80000003u;
    EXPECT_FALSE(repairer.DeleteSelectedItems({item}));
    EXPECT_TRUE(ValueExists(kRootCurrentUser, kBase, "v"));
}

TEST_F(RegistryRepairerTest, NamesOf2047And2048BytesAreDeleted) {
    const std::string path = std::string(kBase) + "\\Long";
    const std::string name2047(2047, 'n'), name2048 = std::string(2042, 'm') + "注册表";
    std::string wide;
    while (wide.size() < 2048)
        wide += "表";
    ASSERT_EQ(wide.size(), 2048u);
    for (const std::string* name : {&name2047, &name2048, static_cast<const std::string*>(&wide)}) {
        ASSERT_TRUE(PutString(kRootLocalMachine, path, *name, "x"));
        ASSERT_TRUE(PutString(kRootLocalMachine, path + "\\Sub", *name, "x"));
    }
    EXPECT_TRUE(repairer.DeleteSelectedItems({MakeItem(kRootLocalMachine, path, name2047, 0),
                                              MakeItem(kRootLocalMachine, path, wide, 0),
                                              MakeItem(kRootLocalMachine, path, "Sub", 1)}));
    EXPECT_EQ(DumpTree(kRootLocalMachine, path), "\\\n\\:" + name2048 + "|1|7800\n");
}
