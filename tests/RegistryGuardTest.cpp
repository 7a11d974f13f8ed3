// The guard keeps the prefix's real registry as it was for the end-to-end tests; here
// it works on a sandbox.
#include "support/RegistryGuard.h"

#include "engine/Handles.h"
#include "engine/ProblemItem.h"
#include "support/RegistrySandbox.h"
#include "support/SandboxTest.h"

#include <gtest/gtest.h>

namespace {

class RegistryGuardTest : public SandboxTest {
protected:
    std::string Dump() {
        return DumpTreeExactly(kRootLocalMachine, "Software") +
               DumpTreeExactly(kRootCurrentUser, "Software");
    }
    std::string file = files.Path("guard.bin");
};

TEST_F(RegistryGuardTest, PutsBackValuesAndTreesExactlyAlsoFromALeftoverFile) {
    const uint8_t binary[] = {0, 0x5C, 0xFF, 0};
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Run", "kept", "C:\\a.exe"));
    ASSERT_TRUE(PutValue(kRootLocalMachine, "Software\\Run", "bin", REG_BINARY, binary, 4));
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Run", "gone", "x"));
    ASSERT_TRUE(PutKey(kRootLocalMachine, "Software\\Run\\Sub")); // not the guard's business
    ASSERT_TRUE(PutKey(kRootCurrentUser, "Software"));
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Tree\\Class\\Inproc", "", "s.dll"));
    ASSERT_TRUE(PutDword(kRootLocalMachine, "Software\\Tree\\Class", "n", 7));
    // A name the code page cannot hold.
    RegKey run;
    ASSERT_TRUE(run.Open(kRootLocalMachine, "Software\\Run", KEY_ALL_ACCESS));
    const wchar_t wide[] = L"\u00e9\u0416\u4e2d";
    ASSERT_EQ(RegSetValueExW(run.Get(), wide, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"w"), 4),
              ERROR_SUCCESS);
    const std::string before = Dump();

    std::vector<GuardedRegion> regions = {
        {kRootLocalMachine, "Software\\Run", false, false, {}},
        {kRootLocalMachine, "Software\\Tree\\Class", true, false, {}},
        {kRootLocalMachine, "Software\\Planted", true, false, {}},
        {kRootCurrentUser, "Software\\Made", false, false, {}}};
    {
        RegistryGuard guard(file);
        ASSERT_TRUE(guard.Save(regions));
        // What a test run does, and then it dies before putting anything back.
        ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Run", "kept", "changed"));
        ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Run", "added", "y"));
        ASSERT_EQ(RegDeleteValueA(run.Get(), "gone"), ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteValueW(run.Get(), wide), ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Tree\\Class\\Inproc"),
                  ERROR_SUCCESS);
        ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Tree\\Class\\New", "v", "1"));
        ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Planted\\Deep", "v", "1"));
        ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\Made", "v", "1"));
        ASSERT_NE(Dump(), before);
    }
    ASSERT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);

    RegistryGuard next(file);
    ASSERT_TRUE(next.RecoverLeftover());
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(KeyExists(kRootLocalMachine, "Software\\Run\\Sub"));
    EXPECT_FALSE(KeyExists(kRootLocalMachine, "Software\\Planted"));
    EXPECT_FALSE(KeyExists(kRootCurrentUser, "Software\\Made"));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "done with";
    EXPECT_TRUE(next.RecoverLeftover()) << "nothing left to do";

    // A damaged file is left for a person to look at.
    const char damaged[] = "\x05\x00\x00\x00\x02\x00\x00\x80\xFF\xFF\xFF\x7F";
    FileHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out.Get(), damaged, sizeof damaged - 1, &written, nullptr));
    out.Reset();
    EXPECT_FALSE(RegistryGuard(file).RecoverLeftover());
    EXPECT_EQ(Dump(), before);
}

} // namespace
