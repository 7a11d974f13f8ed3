#include "checks/RegistryWalk.h"

#include "support/SandboxTest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

class RegistryWalkTest : public SandboxTest {};

namespace {

const char kKey[] = "Software\\TwWalk";
const char kNull[] = "<null>";

using Seen = std::map<std::string, std::string>;

Seen Values(ValueRead mode, const char* path = kKey) {
    Seen seen;
    auto visit = [&](const char* name, const char* text) { seen[name] = text ? text : kNull; };
    WalkValues(kRootLocalMachine, path, mode, visit);
    return seen;
}

Seen Subkeys(const SubkeyWalk& walk) {
    Seen seen;
    auto visit = [&](const char* name, const char* text) { seen[name] = text; };
    WalkSubkeys(walk, visit);
    return seen;
}

// Long texts are compared without printing them whole.
std::string Brief(const std::string& text) {
    return text.size() <= 24
               ? "\"" + text + "\""
               : text.substr(0, 12) + "...(" + std::to_string(text.size()) + " bytes)";
}

::testing::AssertionResult Same(const Seen& seen, const Seen& expected) {
    if (seen == expected) return ::testing::AssertionSuccess();
    auto describe = [](const Seen& entries) {
        std::string out;
        for (const auto& entry : entries)
            out += " " + Brief(entry.first) + "=" + Brief(entry.second);
        return out;
    };
    return ::testing::AssertionFailure()
           << "saw" << describe(seen) << "\nwanted" << describe(expected);
}

void PutBytes(const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_TRUE(PutValue(kRootLocalMachine, kKey, name, type, bytes.data(),
                         static_cast<DWORD>(bytes.size())));
}

// n two-byte characters of code page 936 ("数").
std::string Gbk(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += "\xCA\xFD";
    return text;
}

} // namespace

TEST_F(RegistryWalkTest, ValueWalkReadsStringTypesOnlyAndNamesOfEveryType) {
    SetEnvironmentVariableA("TW_WALK_DIR", "C:\\walk");
    PutString(kRootLocalMachine, kKey, "sz", "%TW_WALK_DIR%\\a.exe");
    PutString(kRootLocalMachine, kKey, "expand", "%TW_WALK_DIR%\\b.exe", REG_EXPAND_SZ);
    PutString(kRootLocalMachine, kKey, "", "default");
    PutDword(kRootLocalMachine, kKey, "dword", 0x5C3A43);
    const DWORD others[] = {REG_NONE,     REG_BINARY, REG_DWORD_BIG_ENDIAN, REG_LINK,
                            REG_MULTI_SZ, REG_QWORD,  REG_RESOURCE_LIST,    0x1234};
    for (DWORD type : others)
        PutBytes("type" + std::to_string(type), type, std::string("C:\\x.exe\0\0", 11));
    PutBytes("huge", REG_BINARY, std::string(5000, 'C'));

    EXPECT_TRUE(
        Same(Values(ValueRead::Text),
             {{"", "default"}, {"expand", "C:\\walk\\b.exe"}, {"sz", "%TW_WALK_DIR%\\a.exe"}}));
    EXPECT_TRUE(
        Same(Values(ValueRead::StoredText), {{"", "default"}, {"sz", "%TW_WALK_DIR%\\a.exe"}}));
    Seen names = Values(ValueRead::NameOnly);
    EXPECT_EQ(names.size(), 13u);
    EXPECT_EQ(names["huge"], kNull);
    EXPECT_EQ(names["sz"], kNull);
}

TEST_F(RegistryWalkTest, ValueWalkSkipsNamesAndDataThatDoNotFitAndGoesOn) {
    // Enumeration is alphabetical under Wine: long entries come before the short ones.
    for (size_t length : {2046, 2047, 2048, 3000})
        PutString(kRootLocalMachine, kKey, std::string(length, 'a'), "x");
    for (size_t length : {2046, 2047, 2048, 4000})
        PutString(kRootLocalMachine, kKey, "data" + std::to_string(length),
                  std::string(length, 'd'));
    PutString(kRootLocalMachine, kKey, "gbk1023", Gbk(1023) + "x");
    PutString(kRootLocalMachine, kKey, "gbk1024", Gbk(1024));
    PutString(kRootLocalMachine, kKey, "zz", "last");

    EXPECT_TRUE(Same(Values(ValueRead::Text), {{std::string(2046, 'a'), "x"},
                                               {std::string(2047, 'a'), "x"},
                                               {"data2046", std::string(2046, 'd')},
                                               {"data2047", std::string(2047, 'd')},
                                               {"gbk1023", Gbk(1023) + "x"},
                                               {"zz", "last"}}));

    Seen names = Values(ValueRead::NameOnly);
    EXPECT_EQ(names.count(std::string(2047, 'a')), 1u);
    EXPECT_EQ(names.count(std::string(2048, 'a')), 0u);
    EXPECT_EQ(names.count("data4000"), 1u) << "data plays no part without a data buffer";
}

TEST_F(RegistryWalkTest, StringDataWithoutTerminatorIsReadOnlyAsFarAsReturned) {
    // The long value is read first and leaves its bytes in the shared buffer.
    PutString(kRootLocalMachine, kKey, "a-long", std::string(2000, 'L'));
    PutBytes("b-short", REG_SZ, "C:\\x.exe");
    PutBytes("c-2047", REG_SZ, std::string(2047, 'n'));
    PutBytes("d-2048", REG_SZ, std::string(2048, 'n'));
    PutBytes("e-embedded", REG_SZ, std::string("C:\\a\0C:\\b", 9));
    PutBytes("f-lead-byte-last", REG_SZ, "C:\\\xCA");
    PutBytes("g-empty", REG_SZ, "");
    PutBytes("h-expand", REG_EXPAND_SZ, "C:\\e.exe");

    Seen seen = Values(ValueRead::Text);
    EXPECT_EQ(seen.count("f-lead-byte-last"), 1u);
    seen.erase("f-lead-byte-last");
    EXPECT_TRUE(Same(seen, {{"a-long", std::string(2000, 'L')},
                            {"b-short", "C:\\x.exe"},
                            {"c-2047", std::string(2047, 'n')},
                            {"e-embedded", "C:\\a"},
                            {"g-empty", ""},
                            {"h-expand", "C:\\e.exe"}}));
}

TEST_F(RegistryWalkTest, ExpansionIsUsedOnlyWhenItFitsWholeUnderCodePage936) {
    ASSERT_EQ(GetACP(), 936u) << "the trap exists only under a double-byte code page";
    // 1100 characters but 2200 bytes: the call's count says it fits, the bytes do not.
    SetEnvironmentVariableA("TW_GBK_LONG", Gbk(1100).c_str());
    SetEnvironmentVariableA("TW_GBK_2047", (Gbk(1023) + "x").c_str());
    SetEnvironmentVariableA("TW_GBK_2048", Gbk(1024).c_str());
    // The last character would straddle the end of the buffer.
    SetEnvironmentVariableA("TW_GBK_STRADDLE", ("x" + Gbk(1024)).c_str());
    SetEnvironmentVariableA("TW_ASCII_2047", std::string(2047, 'q').c_str());
    SetEnvironmentVariableA("TW_ASCII_2048", std::string(2048, 'q').c_str());
    SetEnvironmentVariableA("TW_SHORT", "C:\\dir");
    for (const char* variable : {"TW_GBK_LONG", "TW_GBK_2047", "TW_GBK_2048", "TW_GBK_STRADDLE",
                                 "TW_ASCII_2047", "TW_ASCII_2048"})
        PutString(kRootLocalMachine, kKey, variable, std::string("%") + variable + "%",
                  REG_EXPAND_SZ);
    // A short value read after a long failure must not see its leftovers.
    PutString(kRootLocalMachine, kKey, "zz-short", "%TW_SHORT%\\a", REG_EXPAND_SZ);
    PutString(kRootLocalMachine, kKey, "zz-unset", "%TW_NOT_SET%\\a", REG_EXPAND_SZ);

    EXPECT_TRUE(Same(Values(ValueRead::Text), {{"TW_ASCII_2047", std::string(2047, 'q')},
                                               {"TW_GBK_2047", Gbk(1023) + "x"},
                                               {"zz-short", "C:\\dir\\a"},
                                               {"zz-unset", "%TW_NOT_SET%\\a"}}));
}

TEST_F(RegistryWalkTest, SubkeyWalkReadsOneStringValueOfEachSubkey) {
    const std::string base = std::string(kKey) + "\\";
    PutString(kRootLocalMachine, base + "a", "", "default-a");
    PutString(kRootLocalMachine, base + "a", "Named", "named-a");
    PutString(kRootLocalMachine, base + "b", "Named", "C:\\%TW_SUB%", REG_EXPAND_SZ);
    PutDword(kRootLocalMachine, base + "c", "", 1);
    PutDword(kRootLocalMachine, base + "c", "Named", 1);
    PutKey(kRootLocalMachine, base + "d-empty");
    PutString(kRootLocalMachine, base + "e-long", "", std::string(2048, 'e'));
    PutString(kRootLocalMachine, base + "\xCA\xFD\x81\x5C", "", "gbk");
    SetEnvironmentVariableA("TW_SUB", "sub");

    EXPECT_TRUE(Same(Subkeys({kRootLocalMachine, kKey, nullptr, nullptr, nullptr}),
                     {{"a", "default-a"}, {"\xCA\xFD\x81\x5C", "gbk"}}));
    EXPECT_TRUE(Same(Subkeys({kRootLocalMachine, kKey, nullptr, "Named", nullptr}),
                     {{"a", "named-a"}, {"b", "C:\\sub"}}));
    EXPECT_TRUE(
        Subkeys({kRootLocalMachine, "Software\\TwAbsent", nullptr, nullptr, nullptr}).empty());
}

TEST_F(RegistryWalkTest, SubkeyWalkByFullPathOpensTheFormattedKeyFromTheRoot) {
    PutString(kRootClassesRoot, "CLSID\\{1}\\InprocServer32", "", "one.dll");
    PutString(kRootClassesRoot, "CLSID\\{2}", "", "class without a server");
    PutString(kRootClassesRoot, "CLSID\\{3}\\InprocServer32", "ThreadingModel", "Both");
    PutString(kRootClassesRoot, "CLSID\\\x81\x5C\\InprocServer32", "", "gbk.dll");
    // The same names directly below the walked key must not be what is read.
    PutString(kRootClassesRoot, "CLSID\\{2}\\{2}", "", "wrong");

    EXPECT_TRUE(
        Same(Subkeys({kRootClassesRoot, "CLSID", "CLSID\\%s\\InprocServer32", nullptr, nullptr}),
             {{"{1}", "one.dll"}, {"\x81\x5C", "gbk.dll"}}));
}

TEST_F(RegistryWalkTest, SubkeyWalkTestsTheStopRequestBeforeEachSubkey) {
    for (const char* name : {"a", "b", "c"})
        PutString(kRootLocalMachine, std::string(kKey) + "\\" + name, "", name);
    ScanStatus status;
    int visited = 0;
    auto stopAfterFirst = [&](const char*, const char*) {
        ++visited;
        status.stopRequested = true;
    };
    WalkSubkeys({kRootLocalMachine, kKey, nullptr, nullptr, &status}, stopAfterFirst);
    EXPECT_EQ(visited, 1);

    visited = 0;
    WalkSubkeys({kRootLocalMachine, kKey, nullptr, nullptr, &status}, stopAfterFirst);
    EXPECT_EQ(visited, 0) << "a stop already set ends the walk before the first subkey";

    visited = 0;
    WalkSubkeys({kRootLocalMachine, kKey, nullptr, nullptr, nullptr}, stopAfterFirst);
    EXPECT_EQ(visited, 3) << "without a status the walk never stops";
}

TEST(RegistryWalk, KeyPathsThatDoNotFitAreRefused) {
    char out[kRegTextSize];
    EXPECT_TRUE(FormatKeyPath(out, "CLSID\\%s\\InprocServer32", "{x}"));
    EXPECT_STREQ(out, "CLSID\\{x}\\InprocServer32");
    const std::string fits(2047 - 6, 'k'), tooLong(2048 - 6, 'k');
    EXPECT_TRUE(FormatKeyPath(out, "CLSID\\%s", fits.c_str()));
    EXPECT_FALSE(FormatKeyPath(out, "CLSID\\%s", tooLong.c_str()));
    EXPECT_EQ(out[kRegTextSize - 1], 0);
}

TEST(RegistryWalk, BackslashEndingIsToldByCharacterNotByByte) {
    EXPECT_TRUE(EndsWithBackslash("C:\\Help\\"));
    EXPECT_FALSE(EndsWithBackslash("C:\\Help"));
    EXPECT_FALSE(EndsWithBackslash(""));
    // "乗" is 81 5C: its trail byte is a backslash, the character is not.
    EXPECT_FALSE(EndsWithBackslash("C:\\\x81\x5C"));
    EXPECT_TRUE(EndsWithBackslash("C:\\\x81\x5C\\"));
    EXPECT_TRUE(EndsWithBackslash("\\"));
}
