#include "engine/GbkText.h"

#include <gtest/gtest.h>

#include <cstring>
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

TEST(GbkTextTest, LowerCasingLeavesSecondBytesAlone) {
    // The copy, or null when it does not fit in size bytes, its zero included.
    // clang-format off
    const std::tuple<const char*, size_t, const char*> cases[] = {
        {"C:\\A.EXE", 9, "c:\\a.exe"}, {"\x81\x41Z", 4, "\x81\x41z"}, {"A\x81", 3, "a\x81"},
        {"AB", 2, nullptr},            {"a\x81\x41", 3, nullptr}};
    // clang-format on
    for (const auto& [text, size, lowered] : cases) {
        SCOPED_TRACE(text);
        std::string buffer(16, '#');
        EXPECT_EQ(CopyLowerCase(text, &buffer[0], size), lowered ? std::strlen(lowered) : size);
        EXPECT_STREQ(lowered ? buffer.c_str() : nullptr, lowered);
        EXPECT_EQ(buffer[size], '#') << "written past the buffer";
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
