#include "engine/ParsedCommandLine.h"
#include "engine/PathRules.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <windows.h>

#include <functional>
#include <memory>
#include <regex>
#include <vector>

TEST(PathRules, OnlyMissingPathsOnFixedDisksAreMissing) {
    // The test prefix's R: is a CD-ROM, S: removable, T: a network drive, Q: unmapped.
    ASSERT_TRUE(PathExists("R:\\app\\present.exe") && PathExists("S:\\app\\present.exe") &&
                PathExists("T:\\app\\present.exe"));
    TestFolder files;
    const std::vector<std::string> groups[3] = {
        // fixed and there, fixed and gone, never fixed
        // ... and two that cannot be told: a loop of links, a name too long to be
        {"C:\\", "c:\\windows", "Z:\\tmp", files.Root(), "C:\\tidewell-loop\\a.exe",
         "C:\\" + std::string(300, 'q')},
        {"C:\\tidewell-gone", "z:\\tidewell-gone"},
        {"", "C:", "C:/windows", "\\\\server\\share\\a.exe", "%SystemRoot%\\a.exe", "\"C:\\a.exe\"",
         "1:\\a.exe", "Q:\\a.exe", "R:\\app\\present.exe", "S:\\app\\gone.exe",
         "T:\\app\\present.exe"}};
    DriveTypeCache drives;
    for (int group = 0; group < 3; ++group) {
        for (const std::string& text : groups[group]) {
            EXPECT_EQ(IsFixedDrivePath(text.c_str(), drives), group < 2) << text;
            EXPECT_EQ(IsMissingFixedPath(text.c_str(), drives), group == 1) << text;
        }
    }
    EXPECT_FALSE(IsFixedDrivePath(nullptr, drives));
}

// Set-up turns redirection off by itself, so as not to lean on the guard under test.
static bool Natively(const std::function<bool()>& work) {
    PVOID old = nullptr;
    const BOOL off = Wow64DisableWow64FsRedirection(&old);
    const bool done = work();
    if (off) Wow64RevertWow64FsRedirection(old);
    return done;
}

// The rules look natively, then where a 32-bit program looks (SysWOW64 for system32,
// system32 for Sysnative), and leave the thread's redirection as it was.
TEST(PathRules, SystemFolderIsSeenNativelyAndThroughItsTwin) {
    char system[MAX_PATH], wow64[MAX_PATH];
    ASSERT_TRUE(GetSystemDirectoryA(system, MAX_PATH) && GetSystemWow64DirectoryA(wow64, MAX_PATH));
    const std::string in = std::string(system) + "\\twtest-", only64 = in + "only64.exe";
    const std::string only32 = std::string(wow64) + "\\twtest-only32.exe";
    std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        Natively([&] { return DeleteFileA(only64.c_str()) && DeleteFileA(only32.c_str()); });
    });
    ASSERT_TRUE(
        Natively([&] { return std::ofstream(only64) << "x" && std::ofstream(only32) << "x"; }));
    const std::string alias = std::string(system, std::strrchr(system, '\\')) + "\\SYSNATIVE\\";
    const std::pair<std::string, bool> cases[] = {{only64, false},
                                                  {in + "only32.exe", false},
                                                  {alias + "twtest-only64.exe", false},
                                                  {in + "gone.exe", true}};
    const bool wow64Build = sizeof(void*) == 4;
    DriveTypeCache drives;
    for (const auto& c : cases) {
        EXPECT_EQ(IsMissingFixedPath(c.first.c_str(), drives), c.second) << c.first;
        EXPECT_EQ(CommandLineTargetMissing(("\"" + c.first + "\" /x").c_str()), c.second)
            << c.first;
        // Redirection is as it was: a 32-bit program sees SysWOW64's file only.
        EXPECT_EQ(GetFileAttributesA(only64.c_str()) == INVALID_FILE_ATTRIBUTES, wow64Build);
        EXPECT_EQ(GetFileAttributesA((in + "only32.exe").c_str()) != INVALID_FILE_ATTRIBUTES,
                  wow64Build);
    }
}

// What the last parse recorded: "!" first when the line names something gone, then the
// program path and each data file with "|" between; "-" when nothing was parsed.
static std::string Record(bool missing) {
    const ParsedCommandLine& parsed = LastParsedCommandLine();
    if (!parsed.ready) return missing || ParsedTargetsMissing() ? "!-" : "-";
    std::string out = std::string(missing ? "!" : "") + parsed.programPath;
    for (int32_t i = 0; i < parsed.dataFileCount; ++i)
        out += std::string("|") + parsed.dataFiles[i];
    return out;
}

TEST(ParsedCommandLine, WhatEachLineNamesAndWhetherItIsGone) {
    TestFolder files;
    for (const char* name : {"u.exe", "tool.com", "plain.exe", "a.log", "a b\\s.isu"})
        files.MakeFile(name);
    // "@" stands for the test folder, recorded in lower case.
    const std::regex at("@");
    std::string root = files.Root();
    root[0] = 'c';
    const std::pair<const char*, const char*> lines[] = {
        {R"(@u.exe -F"@A b\S.isu")", R"(@u.exe|@a b\s.isu)"},
        {R"(MsiExec /X{1234-ABCD} @u.exe)", "msiexec"}, // no drive: ".exe" does not end it
        {R"(tidewell-no-such-program /x)", "!tidewell-no-such-program"},
        {R"(@tool.com -q)", R"(@tool.com)"},
        // "-f" and an unquoted drive path: the path runs to the end, blanks and all.
        {R"(@u.exe -F@a b\s.isu)", R"(@u.exe|@a b\s.isu)"},
        {R"(@u.exe -f@安装\X.ISU)", R"(!@u.exe|@安装\x.isu)"},
        {R"(@u.exe -fs.isu)", R"(@u.exe)"},
        // Without ".exe" or ".bat": along the search order, or as it stands with a suffix.
        {R"(@plain /q)", R"(@plain)"},
        {R"(@*.log)", R"(@*.log|@*.log)"},
        {R"("@u.exe -f@gone.log)", R"(!@u.exe -f@gone.log)"},
        {R"("" /x)", "!"},
        // Bytes from 0x80 up are blanks outside quotes; a trail byte in A to Z is not lowered.
        {"msiexec\xB0\xB2/x", "msiexec"},
        {"\"@\x81\x41.EXE\"", "!@\x81\x41.exe"},
        {"@u.exe \"@\x81\x5C\\gone.log\"", "!@u.exe|@\x81\x5C\\gone.log"},
        // Only quoted drive paths with a suffix are data files; a later token's mark is unseen.
        {R"(@u.exe /log="@a.log" /q)", R"(@u.exe|@a.log)"},
        {R"(@u.exe /x '@gone.ini')", R"(!@u.exe|@gone.ini)"},
        {R"(@u.exe @gone.log /q)", R"(@u.exe)"},
        {R"(@u.exe "@a b\s.isu" /x)", R"(@u.exe|@a b\s.isu)"},
        {R"(@u.exe /x "@a b\gone.isu")", R"(@u.exe)"},
        // What a loop of links holds cannot be told: never gone.
        {R"(c:\tidewell-loop\u.exe -f"c:\tidewell-loop\a.isu")",
         R"(c:\tidewell-loop\u.exe|c:\tidewell-loop\a.isu)"},
        {R"(c:\tidewell-loop\plain /q)", R"(c:\tidewell-loop\plain)"}};
    // Leading blanks, double-byte ones too, change nothing.
    for (const char* lead : {"", " \t\xA1\xA1"}) {
        for (const auto& line : lines) {
            const std::string text = lead + std::regex_replace(line.first, at, files.Root());
            const bool missing = CommandLineTargetMissing(text.c_str());
            EXPECT_EQ(Record(missing), std::regex_replace(line.second, at, root)) << text;
        }
    }
    EXPECT_FALSE(CommandLineTargetMissing(nullptr));
    EXPECT_EQ(Record(false), "-");
    // Texts beyond the buffer are not parsed.
    for (size_t size : {2047, 2048, 2049, 5000}) {
        const bool missing =
            CommandLineTargetMissing(("C:\\tidewell-gone" + std::string(size - 16, ' ')).c_str());
        EXPECT_EQ(Record(missing), size == 2047 ? "!c:\\tidewell-gone" : "-") << size;
    }
}
