#include "engine/PathRules.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PathRules, OnlyMissingPathsOnFixedDisksAreMissing) {
    // In the test prefix R: is a CD-ROM, S: removable and T: a network drive; Q: is unmapped.
    for (const char* other :
         {"R:\\app\\present.exe", "S:\\app\\present.exe", "T:\\app\\present.exe"})
        ASSERT_TRUE(PathExists(other)) << other << ": the test prefix lacks its drives";
    TestFolder files;
    // Fixed and there, fixed and gone, never fixed.
    const std::vector<std::string> groups[3] = {
        {"C:\\", "c:\\windows", "Z:\\tmp", files.MakeFile("here.exe"), files.MakeDir("dir")},
        {files.Path("gone.exe"), "C:\\tidewell-gone", "z:\\tidewell-gone"},
        {"", "C:", "C:/windows", "\\\\server\\share\\a.exe", "%SystemRoot%\\a.exe", "\"C:\\a.exe\"",
         "1:\\a.exe", "Q:\\a.exe", "R:\\app\\present.exe", "S:\\app\\present.exe",
         "T:\\app\\present.exe", "R:\\app\\gone.exe", "S:\\app\\gone.exe", "T:\\app\\gone.exe"}};
    DriveTypeCache drives;
    for (int group = 0; group < 3; ++group) {
        for (const std::string& text : groups[group]) {
            EXPECT_EQ(IsFixedDrivePath(text.c_str(), drives), group < 2) << text;
            EXPECT_EQ(IsMissingFixedPath(text.c_str(), drives), group == 1) << text;
        }
    }
    EXPECT_FALSE(IsFixedDrivePath(nullptr, drives));
}

TEST(PathRules, ProgramPathEndsAfterExeElseBatElseAtTheFirstBlank) {
    // "|" marks where the program path ends.
    for (std::string text :
         {"C:\\Tools\\app.exe| /minimized", "C:\\Tools\\APP.EXE|", "C:\\run.bat| x",
          "C:\\a.exe|.bat", "C:\\tool.com| -q", "C:\\\xB9\xA4\xBE\xDF\\x.com|",
          "C:\\\x81\x5C.com| /x", "|\"C:\\a.exe\"", "|app.exe"}) {
        size_t end = text.find('|');
        text.erase(end, 1);
        EXPECT_EQ(ProgramPathLength(text.c_str()), end) << text;
    }
}
