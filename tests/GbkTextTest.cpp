#include "engine/GbkText.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

constexpr size_t npos = std::string::npos;

// In code page 936 "乗" is 81 5C and "工具" B9 A4 BE DF; 0x81 to 0xFE lead a pair.
TEST(GbkTextTest, ABackslashIsACharacterNeverASecondByte) {
    // clang-format off
    const std::tuple<const char*, size_t, bool, bool> cases[] = {
        {"C:\\乗", 2, false, false},          {"C:\\乗\\", 5, true, false},
        {"乗俓.backup2", npos, false, true},  {"\xFE\\", npos, false, true},
        {"\x80\\", 1, true, false},           {"\xFF\\", 1, true, false},
        {"", npos, false, false},             {".", npos, false, false},
        {"..", npos, false, false},           {"...", npos, false, true},
        {"a/b", npos, false, false},          {"c:x", npos, false, false}};
    // clang-format on
    for (const auto& [text, last, ends, bare] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LastBackslash(text), last);
        EXPECT_EQ(EndsWithBackslash(text), ends);
        EXPECT_EQ(IsBareFileName(text), bare);
    }
}

// The uninstall parse and the startup check differ only in what a blank is.
TEST(GbkTextTest, AProgramPathEndsAfterExeElseBatElseAtTheFirstBlank) {
    // clang-format off
    const std::tuple<const char*, size_t, size_t> cases[] = {
        {"C:\\My Tools\\APP.EXE /q", 19, 19}, {"c:\\run.bat x", 10, 10},
        {"C:\\a.exe.bat", 8, 8},             {"C:\\a.bat\\b.exe", 14, 14},
        {"C:\\工具\\x.exe -q", 13, 13},      {"C:\\工具\\x.com -q", 3, 13},
        {"C:\\tool.com\t-q", 11, 11},        {"run x.exe", 3, 3},  {"工具 x", 0, 4}};
    // clang-format on
    for (const auto& [text, anyHighByte, spaceOrControl] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ProgramPathLength(text, Blank::AnyHighByte), anyHighByte);
        EXPECT_EQ(ProgramPathLength(text, Blank::SpaceOrControl), spaceOrControl);
    }
}
