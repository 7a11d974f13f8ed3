#include "engine/ParsedCommandLine.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace {

// "@" stands for the test folder.
std::string Fill(const char* pattern, const std::string& root) {
    std::string out;
    for (const char* p = pattern; *p; ++p)
        out += *p == '@' ? root : std::string(1, *p);
    return out;
}

// What the last parse recorded: "!" first when the line names something gone, then the
// program path and each data file with "|" between; "-" when nothing was parsed.
std::string Record(bool missing) {
    const ParsedCommandLine& parsed = LastParsedCommandLine();
    if (!parsed.ready) return missing || ParsedTargetsMissing() ? "!-" : "-";
    std::string out = std::string(missing ? "!" : "") + parsed.programPath;
    for (int32_t i = 0; i < parsed.dataFileCount; ++i)
        out += std::string("|") + parsed.dataFiles[i];
    return out;
}

} // namespace

TEST(ParsedCommandLine, WhatEachLineNamesAndWhetherItIsGone) {
    TestFolder files;
    for (const char* name : {"u.exe", "tool.com", "plain.exe", "setuplog", "a.log", "a b\\s.isu"})
        files.MakeFile(name);
    std::string root = files.Root(); // the parse records lower case
    root[0] = 'c';
    const std::pair<const char*, const char*> lines[] = {
        {R"("@U.exe")", R"(@u.exe)"},
        {R"("@gone.exe")", R"(!@gone.exe)"},
        {R"(@u.exe -F"@A b\S.isu")", R"(@u.exe|@a b\s.isu)"},
        {R"(MsiExec.exe /X{1234-ABCD})", "msiexec.exe"},
        {R"(msiexec /i x)", "msiexec"},
        {R"(tidewell-no-such-program /x)", "!tidewell-no-such-program"},
        {R"(@tool.com -q)", R"(@tool.com)"},
        {"", "-"},
        // "-f" and an unquoted drive path: the path runs to the end, blanks and all.
        {R"(@u.exe -F@a b\s.isu)", R"(@u.exe|@a b\s.isu)"},
        {R"(@u.exe -f@安装\X.ISU)", R"(!@u.exe|@安装\x.isu)"},
        {R"(@u.exe -fs.isu)", R"(@u.exe)"},
        {R"(@u.exe @a b\s.isu)", R"(@u.exe|@a b\s.isu)"},
        // Without ".exe" or ".bat" a drive path is found by the search order, or where it
        // says when it ends in a data file's suffix.
        {R"(@plain /q)", R"(@plain)"},
        {R"(@gone /q)", R"(!@gone)"},
        {R"(@setuplog)", R"(@setuplog|@setuplog)"},
        {R"(@*.log)", R"(@*.log|@*.log)"},
        {R"("@u.exe -f@gone.log)", R"(!@u.exe -f@gone.log)"},
        {R"("" /x)", "!"},
        {" \t\r\n", "-"},
        // A byte from 0x80 up is a blank outside quotation marks; a trail byte in A to Z
        // is part of its character and stays as it is.
        {"msiexec\xB0\xB2/x", "msiexec"},
        {"\"@\x81\x41.EXE\"", "!@\x81\x41.exe"},
        {"@u.exe\xA1\xA1\"@gone.log\"", R"(!@u.exe|@gone.log)"},
        {"@u.exe \"@\x81\x5C\\gone.log\"", "!@u.exe|@\x81\x5C\\gone.log"},
        {"\x80\xFF\xB0\xA1 ", "-"},
        // Of the arguments only quoted drive paths with a data file's suffix are tested,
        // and a mark that opens a later token is not seen.
        {R"(@u.exe /log="@a.log" /q)", R"(@u.exe|@a.log)"},
        {R"(@u.exe /log="@gone.log" /q)", R"(!@u.exe|@gone.log)"},
        {R"(@u.exe /x '@gone.ini')", R"(!@u.exe|@gone.ini)"},
        {R"(@u.exe @gone.log /q)", R"(@u.exe)"},
        {R"(@u.exe /x "log")", R"(@u.exe)"},
        {R"(@u.exe /x "@gone.dll")", R"(@u.exe)"},
        {R"(@u.exe "@a b\s.isu" /x)", R"(@u.exe|@a b\s.isu)"},
        {R"(@u.exe /x "@a b\gone.isu")", R"(@u.exe)"}};
    // Leading blanks, double-byte ones too, change nothing.
    for (const char* lead : {"", " \t\xA1\xA1"}) {
        for (const auto& line : lines) {
            std::string text = lead + Fill(line.first, files.Root());
            bool missing = CommandLineTargetMissing(text.c_str());
            EXPECT_EQ(Record(missing), Fill(line.second, root)) << text;
        }
    }
    EXPECT_FALSE(CommandLineTargetMissing(nullptr));
    EXPECT_EQ(Record(false), "-");
}

TEST(ParsedCommandLine, TextsBeyondTheBufferAreNotParsed) {
    std::string text = "\"C:\\tidewell-gone.exe\"";
    for (size_t size : {2047, 2048, 2049, 5000}) {
        text.resize(size, ' ');
        bool missing = CommandLineTargetMissing(text.c_str());
        EXPECT_EQ(Record(missing), size == 2047 ? "!c:\\tidewell-gone.exe" : "-") << size;
    }
}
