#include "engine/ParsedCommandLine.h"
#include "engine/PathRules.h"

#include "support/SandboxTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "@" stands for the test folder; what the parse records is lower-case.
struct Line {
    const char* text;
    const char* program;
    std::vector<const char*> dataFiles;
    bool missing;
};

std::string Fill(const char* pattern, const std::string& root) {
    std::string out;
    for (const char* p = pattern; *p; ++p)
        out += *p == '@' ? root : std::string(1, *p);
    return out;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    return text;
}

class ParsedCommandLineTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        for (const char* name :
             {"app\\uninst.exe", "app\\run.bat", "app\\tool.com", "app\\plain.exe", "app\\setuplog",
              "app\\a.log", "Program Files\\setup.isu"})
            ASSERT_TRUE(PathExists(files.MakeFile(name).c_str())) << name;
    }

    void Check(const std::vector<Line>& lines) {
        std::string root = AsciiLower(files.Root());
        // Leading blanks, double-byte ones too, must change nothing.
        for (const char* lead : {"", " \t\xA1\xA1"}) {
            for (const Line& line : lines) {
                std::string text = lead + Fill(line.text, files.Root());
                SCOPED_TRACE(text);
                EXPECT_EQ(CommandLineTargetMissing(text.c_str()), line.missing);
                const ParsedCommandLine& parsed = LastParsedCommandLine();
                ASSERT_TRUE(parsed.ready);
                ASSERT_NE(parsed.programPath, nullptr);
                EXPECT_EQ(parsed.programPath, Fill(line.program, root));
                ASSERT_EQ(parsed.dataFileCount, static_cast<int32_t>(line.dataFiles.size()));
                for (size_t i = 0; i < line.dataFiles.size(); ++i)
                    EXPECT_EQ(parsed.dataFiles[i], Fill(line.dataFiles[i], root));
            }
        }
    }
};

} // namespace

TEST_F(ParsedCommandLineTest, TheCommonShapesOfUninstallLines) {
    Check({
        {R"("@app\Uninst.exe")", R"(@app\uninst.exe)", {}, false},
        {R"("@gone.exe")", R"(@gone.exe)", {}, true},
        {R"(@app\uninst.exe -F"@Program Files\setup.isu")",
         R"(@app\uninst.exe)",
         {R"(@program files\setup.isu)"},
         false},
        {R"(@app\uninst.exe -f"@gone.isu")", R"(@app\uninst.exe)", {R"(@gone.isu)"}, true},
        {R"(MsiExec.exe /X{1234-ABCD})", "msiexec.exe", {}, false},
        {R"(msiexec /i x)", "msiexec", {}, false},
        {R"(tidewell-no-such-program /x)", "tidewell-no-such-program", {}, true},
        {R"(@app\tool.com -q)", R"(@app\tool.com)", {}, false},
        {R"(@gone.com -q)", R"(@gone.com)", {}, true},
    });
}

TEST_F(ParsedCommandLineTest, UnquotedPathAfterDashFRunsToTheEndBlanksAndAll) {
    Check({
        {R"(@app\uninst.exe -F@Program Files\setup.isu)",
         R"(@app\uninst.exe)",
         {R"(@program files\setup.isu)"},
         false},
        {R"(@app\uninst.exe -f@安装\X.ISU)", R"(@app\uninst.exe)", {R"(@安装\x.isu)"}, true},
        {R"(@app\uninst.exe -f@gone.isu)", R"(@app\uninst.exe)", {R"(@gone.isu)"}, true},
        {R"(@app\uninst.exe -f)", R"(@app\uninst.exe)", {}, false},
        {R"(@app\uninst.exe -fsetup.isu)", R"(@app\uninst.exe)", {}, false},
        {R"(@app\uninst.exe @Program Files\setup.isu)",
         R"(@app\uninst.exe)",
         {R"(@program files\setup.isu)"},
         false},
    });
}

TEST_F(ParsedCommandLineTest, ProgramPathForms) {
    Check({
        {R"(@app\run.bat /q)", R"(@app\run.bat)", {}, false},
        {R"(@app\plain /q)", R"(@app\plain)", {}, false}, // found as plain.exe
        {R"(@app\gone /q)", R"(@app\gone)", {}, true},
        // A drive path ending in a suffix is looked for as it stands, with no ".exe" added
        // and no search order (the wildcard would defeat one).
        {R"(@app\setuplog)", R"(@app\setuplog)", {R"(@app\setuplog)"}, false},
        {R"(@app\*.log)", R"(@app\*.log)", {R"(@app\*.log)"}, false},
        {R"("@app\uninst.exe)", R"(@app\uninst.exe)", {}, false},
        {R"("@app\uninst.exe -f@gone.log)", R"(@app\uninst.exe -f@gone.log)", {}, true},
        {R"("" /x)", "", {}, true},
        {"msiexec\xB0\xB2/x", "msiexec", {}, false},
        // A trail byte in A to Z is not lower-cased: it would name another file.
        {"\"@\x81\x41.EXE\"", "@\x81\x41.exe", {}, true},
    });
}

TEST_F(ParsedCommandLineTest, OnlyQuotedDataFilesAmongTheArgumentsAreTested) {
    Check({
        {R"(@app\uninst.exe /log="@app\a.log" /q)", R"(@app\uninst.exe)", {R"(@app\a.log)"}, false},
        {R"(@app\uninst.exe /log="@gone.log" /q)", R"(@app\uninst.exe)", {R"(@gone.log)"}, true},
        {R"(@app\uninst.exe /x '@gone.ini')", R"(@app\uninst.exe)", {R"(@gone.ini)"}, true},
        {"@app\\uninst.exe\xA1\xA1\"@gone.log\"", R"(@app\uninst.exe)", {R"(@gone.log)"}, true},
        {R"(@app\uninst.exe @gone.log /q)", R"(@app\uninst.exe)", {}, false},
        {R"(@app\uninst.exe /x "log")", R"(@app\uninst.exe)", {}, false},
        {R"(@app\uninst.exe /x "@gone.dll")", R"(@app\uninst.exe)", {}, false},
        // A mark that opens the rest is seen; one that opens a later token is not, so
        // the blank inside cuts that path.
        {R"(@app\uninst.exe "@Program Files\setup.isu" /x)",
         R"(@app\uninst.exe)",
         {R"(@program files\setup.isu)"},
         false},
        {R"(@app\uninst.exe /x "@Program Files\gone.isu")", R"(@app\uninst.exe)", {}, false},
    });
}

TEST_F(ParsedCommandLineTest, TheRecordIsTestedAgainWithoutParsing) {
    std::string text = "\"" + files.Root() + "app\\uninst.exe\" /log=\"" + files.Root() + "b.log\"";
    EXPECT_TRUE(CommandLineTargetMissing(text.c_str()));
    files.MakeFile("b.log");
    EXPECT_TRUE(LastParsedCommandLine().ready);
    EXPECT_FALSE(ParsedTargetsMissing());
}

TEST(ParsedCommandLine, NothingToTestIsNotMissingAndClearsTheLastParse) {
    for (const char* text :
         {static_cast<const char*>(nullptr), "", " \t\r\n", "\x80\xFF\xB0\xA1 "}) {
        ASSERT_TRUE(CommandLineTargetMissing("\"C:\\tidewell-gone.exe\""));
        EXPECT_FALSE(CommandLineTargetMissing(text));
        EXPECT_FALSE(LastParsedCommandLine().ready);
        EXPECT_FALSE(ParsedTargetsMissing());
    }
}

TEST(ParsedCommandLine, TextsBeyondTheBufferAreNotParsed) {
    std::string text = "\"C:\\tidewell-gone.exe\"";
    text.resize(2047, ' ');
    EXPECT_TRUE(CommandLineTargetMissing(text.c_str()));
    EXPECT_TRUE(LastParsedCommandLine().ready);
    for (size_t size : {2048u, 5000u}) {
        text.resize(size, 'x');
        EXPECT_FALSE(CommandLineTargetMissing(text.c_str()));
        EXPECT_FALSE(LastParsedCommandLine().ready);
    }
}

TEST(ParsedCommandLine, TheDensestLineKeepsEveryDataFile) {
    // Nine bytes per data file: 226 is the most that fits, short of the record's 256.
    std::string text = "msiexec";
    for (int i = 0; i < 226; ++i)
        text += " 'c:\\log'";
    ASSERT_LE(text.size(), 2047u);
    EXPECT_TRUE(CommandLineTargetMissing(text.c_str()));
    const ParsedCommandLine& parsed = LastParsedCommandLine();
    ASSERT_EQ(parsed.dataFileCount, 226);
    EXPECT_STREQ(parsed.dataFiles[225], "c:\\log");
    EXPECT_EQ(parsed.dataFiles[225], parsed.buffer + text.size() - 7);
}
