// The eight checks over tables of the entries they read: what each reports, every field
// of one item per pass in the order of the passes, and what a stop request leaves.
#include "checks/AddRemProgsJob.h"
#include "checks/CustomControlsJob.h"
#include "checks/HelpresJob.h"
#include "checks/RegistryIntegrityJob.h"
#include "checks/SharedProgsJob.h"
#include "checks/SoftwareLocationsJob.h"
#include "checks/StartupProgsJob.h"
#include "checks/WindowsFontsJob.h"
#include "engine/Handles.h"
#include "support/SandboxTest.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

namespace {

const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kMs = "SOFTWARE\\Microsoft\\Windows\\";
const std::string kRun = kCv + "Run", kUninstall = kCv + "Uninstall";
const std::string kShell = kCv + "Explorer\\User Shell Folders";
const std::string kShared = kMs + "CurrentVersion\\SharedDLLs";
const std::string kApps = kMs + "CurrentVersion\\App Paths";
const std::string kFolders = kMs + "CurrentVersion\\Installer\\Folders";
const std::string kMui = kMs + "ShellNoRoam\\MUICache";
const std::string kHelp = kMs + "Help", kHtml = kMs + "HTML Help";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kLm = "HKEY_LOCAL_MACHINE\\", kCu = "HKEY_CURRENT_USER\\";
const std::string kBad = "值无效。", kBadProgram = "添加/删除 项目无效。";

// One value a check reads, under HKCR for CLSID, HKCU for MUICache and the shell folders,
// else HKLM; "@" stands for the test folder. item: the name it is reported under, if it is.
struct Entry {
    std::string key, name, data, item = "";
    DWORD type = REG_SZ;
};

// A path on C: of exactly this many bytes that names nothing.
std::string Long(size_t length) {
    return "C:\\" + std::string(length - 3, 'q');
}

// An item as reported by the job numbered 5, ticked.
struct Item {
    std::string key, name, description, location, data;
    int32_t kind;
};

uint32_t RootOf(const std::string& key) {
    return key.compare(0, 5, "CLSID") == 0 ? kRootClassesRoot
           : key == kMui || key == kShell  ? kRootCurrentUser
                                           : kRootLocalMachine;
}

// Each byte of text that is a mark is replaced by the mark's text.
std::string Fill(const std::string& text, const std::map<char, std::string>& marks) {
    std::string out;
    for (char c : text)
        out += marks.count(c) ? marks.at(c) : std::string(1, c);
    return out;
}

enum class Stop { Ignored, EndsAll, EndsSecondPass };

class CheckTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        files.MakeFile("here.exe");
        ASSERT_TRUE(SetEnvironmentVariableA("TW_DIR", files.Root().c_str()));
    }

    // Scans after an item of an earlier job, which must stay as it is, and names the items.
    std::multiset<std::string> Scan(velk::Job& job, bool stop, ProblemList& items) {
        ScanStatus status;
        status.stopRequested = stop;
        items.assign(1, ProblemItem());
        job.Scan(&status, &items);
        EXPECT_EQ(items[0].itemName, "");
        EXPECT_EQ(status.problemCount + 1u, items.size());
        EXPECT_EQ(status.stopRequested, stop) << "a check never writes the stop request";
        items.erase(items.begin());
        std::multiset<std::string> names;
        for (const ProblemItem& item : items)
            names.insert(item.itemName);
        return names;
    }

    // slot: where the check reads a path ("*"), its label ("#"), folder ("<") and file name
    // (">"); it is filled with a stale path, live ones, paths off fixed disks and paths at
    // the buffer's edge. passes: every field of an item of each pass, in the order of the passes.
    void Check(velk::Job&& job, const Entry& slot, std::vector<Entry> entries,
               const std::vector<Item>& passes, Stop stop) {
        const std::string paths[] = {"@gone.exe",
                                     "@\x81\x5C\\gbk.exe",
                                     Long(2047),
                                     "@here.exe",
                                     "R:\\app\\gone-cd.exe",
                                     "S:\\app\\present.exe",
                                     "T:\\app\\gone-net.exe",
                                     Long(2048)};
        const std::map<char, std::string> root = {{'@', files.Root()}};
        for (size_t slotNumber = 0; slotNumber < 8; ++slotNumber) {
            const std::string path = Fill(paths[slotNumber], root);
            size_t cut = path.rfind('\\');
            std::map<char, std::string> marks = {{'#', "slot" + std::to_string(slotNumber)},
                                                 {'*', path},
                                                 {'<', path.substr(0, cut)},
                                                 {'>', path.substr(cut + 1)}};
            // The first three are stale.
            entries.push_back({Fill(slot.key, marks), Fill(slot.name, marks),
                               Fill(slot.data, marks), slotNumber < 3 ? Fill(slot.item, marks) : "",
                               slot.type});
        }
        std::multiset<std::string> expected, kept;
        for (const Entry& e : entries) {
            ASSERT_TRUE(PutString(RootOf(e.key), Fill(e.key, root), Fill(e.name, root),
                                  Fill(e.data, root), e.type));
            if (!e.item.empty()) expected.insert(Fill(e.item, root));
        }
        job.jobId = 5;
        ProblemList items;
        EXPECT_EQ(Scan(job, false, items), expected);
        auto at = items.begin();
        for (const Item& pass : passes) {
            at = std::find_if(at, items.end(), [&](const ProblemItem& item) {
                return item.keyPath == pass.key && item.itemName == Fill(pass.name, root);
            });
            ASSERT_NE(at, items.end()) << pass.name << " missing or out of order";
            EXPECT_EQ(std::tie(at->rootKey, at->description, at->locationText, at->dataText,
                               at->jobId, at->backupOffset, at->kind, at->selected),
                      std::make_tuple(RootOf(pass.key), Fill(pass.description, root),
                                      Fill(pass.location, root), Fill(pass.data, root), 5, 0,
                                      pass.kind, true));
        }
        for (const ProblemItem& item : items)
            if (stop == Stop::Ignored ||
                (stop == Stop::EndsSecondPass && item.keyPath == passes[0].key))
                kept.insert(item.itemName);
        EXPECT_EQ(Scan(job, true, items), kept) << "after a stop request";
    }
};

using StartupProgsJobTest = CheckTest;
using SharedProgsJobTest = CheckTest;
using SoftwareLocationsJobTest = CheckTest;
using AddRemProgsJobTest = CheckTest;
using CustomControlsJobTest = CheckTest;
using HelpresJobTest = CheckTest;
using WindowsFontsJobTest = CheckTest;
using RegistryIntegrityJobTest = CheckTest;

} // namespace

// A command is reported only when the whole text names nothing and its program is gone too.
TEST_F(StartupProgsJobTest, ReportsStaleEntriesOnly) {
    Check(velk::StartupProgsJob(), {kRun, "#", "*", "#"},
          {{kRun, "expand", "%TW_DIR%gone.exe", "expand", REG_EXPAND_SZ},
           {kRun, "gone-args", "@gone.exe /min", "gone-args"},
           {kRun, "gone-bat", "@gone.bat now", "gone-bat"},
           {kRun, "here-args", "@here.exe /min"},
           {kRun, "quoted", "\"@gone.exe\" /x"},
           {kRun, "env-as-sz", "%TW_DIR%gone.exe"},
           {kRun, "bare", "gone.exe"},
           {kRun, "cd-args", "R:\\app\\gone.exe /x"},
           {kRun, "binary", "@gone.exe", "", REG_BINARY}},
          {{kRun, "expand", kBad, kRun, "expand = @gone.exe", kKindValue}}, Stop::Ignored);
}

TEST_F(SharedProgsJobTest, ReportsStaleEntriesOnly) {
    Check(velk::SharedProgsJob(), {kShared, "*", "", "*"},
          {{kShared, "@huge.dll", std::string(5000, 'x'), "@huge.dll", REG_BINARY},
           {kShared, "\\\\server\\share\\gone.dll", ""}},
          {{kShared, "@gone.exe", kBad, kShared, "@gone.exe", kKindValue}}, Stop::Ignored);
}

TEST_F(SoftwareLocationsJobTest, ReportsStaleEntriesOnly) {
    Check(velk::SoftwareLocationsJob(), {kApps + "\\#", "", "*", "#"},
          {{kApps + "\\expand.exe", "", "%TW_DIR%gone.exe", "expand.exe", REG_EXPAND_SZ},
           {kApps + "\\quoted.exe", "", "\"@gone.exe\""},
           {kApps + "\\nodefault.exe", "Path", "@gone.exe"},
           {kApps + "\\binary.exe", "", "@gone.exe", "", REG_BINARY},
           {kMui, "@gone.exe", "Gone App", "@gone.exe"},
           {kMui, "@expand.exe", "Expand App", "", REG_EXPAND_SZ},
           {kMui, "gone.exe", "Relative"},
           {kMui, "S:\\app\\gone.exe", "Removable"}},
          {{kApps, "slot0", kBad, kLm + kApps + "\\slot0", "(Default) = @gone.exe", kKindKey},
           {kMui, "@gone.exe", kBad, kCu + kMui, "@gone.exe = Gone App", kKindValue}},
          Stop::EndsSecondPass);
}

TEST_F(AddRemProgsJobTest, ReportsStaleEntriesOnly) {
    const std::string u = kUninstall + "\\", command = "UninstallString";
    Check(velk::AddRemProgsJob(), {kFolders, "*", "", "*"},
          {{u + "GoneApp", command, "\"@gone.exe\"", "GoneApp"},
           {u + "GoneLog", command, "@here.exe -f\"@gone.log\"", "GoneLog"},
           {u + "Unknown", command, "no-such-uninstaller-tidewell /x", "Unknown"},
           {u + "Expand", command, "%TW_DIR%gone.exe /S", "Expand", REG_EXPAND_SZ},
           {u + "Msi", command, "msiexec /x{12345678-1234-1234-1234-123456789012}"},
           {u + "Present", command, "\"@here.exe\" /S"},
           {u + "Blank", command, "   "},
           {u + "NoCommand", "DisplayName", "@gone.exe"},
           {u + "Binary", command, "@gone.exe", "", REG_BINARY}},
          {{kUninstall, "GoneApp", kBadProgram, kUninstall, "GoneApp = \"@gone.exe\"", kKindKey},
           {kFolders, "@gone.exe", kBadProgram, kFolders, "@gone.exe", kKindValue}},
          Stop::EndsAll);
}

// The server is read through the class's own key, not below the walked one.
TEST_F(CustomControlsJobTest, ReportsStaleEntriesOnly) {
    const std::string c = "CLSID\\", s = "\\InprocServer32";
    Check(velk::CustomControlsJob(), {c + "#" + s, "", "*", "#"},
          {{c + "{EXPAND}" + s, "", "%TW_DIR%gone.dll", "{EXPAND}", REG_EXPAND_SZ},
           {c + "{BARE}" + s, "", "gone.dll"},
           {c + "{QUOTED}" + s, "", "\"@gone.dll\""},
           {c + "{NAMED}" + s, "ThreadingModel", "@gone.dll"},
           {c + "{LOCAL}\\LocalServer32", "", "@gone.dll"},
           {c + "{CLASS}", "", "@gone.dll"},
           {c + "gbk\x81\x5C" + s, "", "@gone.dll", "gbk\x81\x5C"}},
          {{"CLSID", "gbk\x81\x5C", "自定义控制器无效。",
            "HKEY_CLASSES_ROOT\\CLSID\\gbk\x81\x5C" + s, "(Default) = @gone.dll", kKindKey}},
          Stop::EndsAll);
}

// The value's name is the file, its data the folder.
TEST_F(HelpresJobTest, ReportsStaleEntriesOnly) {
    const std::string joined2047(1046, 'a'), joined2048(1047, 'b'),
        folder = "C:\\" + std::string(997, 'f');
    Check(
        velk::HelpresJob(), {kHelp, ">", "<", ">"},
        {{kHelp, "old.hlp", "@Help", "old.hlp"},
         {kHtml, "a.chm", "@\x81\x5C", "a.chm"},
         {kHtml, "new.chm", "@Help\\", "new.chm"},
         {kHtml, "@gone.chm", "", "@gone.chm"},
         {kHtml, "relative.chm", ""},
         {kHtml, "binary.chm", "@", "", REG_BINARY},
         {kHtml, joined2047, folder, joined2047},
         {kHtml, joined2048, folder}},
        {{kHelp, "old.hlp", "帮助文件 old.hlp 不存在", kLm + kHelp, "old.hlp = @Help\\",
          kKindValue},
         {kHtml, "a.chm", "帮助文件 a.chm 不存在", kLm + kHtml, "a.chm = @\x81\x5C\\", kKindValue},
         {kHtml, "new.chm", "帮助文件 new.chm 不存在", kLm + kHtml, "new.chm = @Help\\",
          kKindValue}},
        Stop::EndsAll);
}

// A bare name is looked for in the fonts folder; anything else is a path.
TEST_F(WindowsFontsJobTest, ReportsStaleEntriesOnly) {
    char windows[MAX_PATH];
    size_t room = 2047 - GetWindowsDirectoryA(windows, MAX_PATH) - std::strlen("\\FONTS\\");
    const std::string font = std::string(windows) + "\\Fonts\\tidewell-test.ttf";
    FileHandle present(CreateFileA(font.c_str(), GENERIC_WRITE, 7, nullptr, CREATE_ALWAYS,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(present.Valid());
    Check(velk::WindowsFontsJob(), {kFonts, "#", "*", "#"},
          {{kFonts, "Gone (TrueType)", "tidewell-gone.ttf", "Gone (TrueType)"},
           {kFonts, "Present (TrueType)", "TIDEWELL-TEST.TTF"},
           {kFonts, "expand", "%TW_DIR%gone.ttf", "expand", REG_EXPAND_SZ},
           {kFonts, "rooted", "\\gone.ttf"},
           {kFonts, "binary", "gone.ttf", "", REG_BINARY},
           {kFonts, "fits", std::string(room, 'f'), "fits"},
           {kFonts, "too-long", std::string(room + 1, 'f')}},
          {{kFonts, "Gone (TrueType)", "字体项目无效", kLm + kFonts,
            "Gone (TrueType) = tidewell-gone.ttf", kKindValue}},
          Stop::Ignored);
}

TEST_F(RegistryIntegrityJobTest, ReportsStaleEntriesOnly) {
    Check(velk::RegistryIntegrityJob(), {kShell, "#", "*", "#"},
          {{kShell, "Personal", "%TW_DIR%deleted", "Personal", REG_EXPAND_SZ},
           {kShell, "AppData", "%USERPROFILE%", "", REG_EXPAND_SZ},
           {kShell, "Unset", "%TW_NOT_SET%\\Documents", "", REG_EXPAND_SZ},
           {kShell, "Share", "\\\\server\\share\\Documents"}},
          {{kShell, "Personal", kBad, kCu + kShell, "Personal = @deleted", kKindValue}},
          Stop::Ignored);
}
