#include "checks/AddRemProgsJob.h"
#include "checks/CustomControlsJob.h"
#include "checks/HelpresJob.h"
#include "checks/RegistryIntegrityJob.h"
#include "checks/SharedProgsJob.h"
#include "checks/SoftwareLocationsJob.h"
#include "checks/StartupProgsJob.h"
#include "checks/WindowsFontsJob.h"
#include "engine/JobEnumerator.h"
#include "support/SandboxTest.h"

#include <set>

namespace {

const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kMs = "SOFTWARE\\Microsoft\\Windows\\", kMsCv = kMs + "CurrentVersion\\";
const std::string kRun = kCv + "Run", kUninstall = kCv + "Uninstall", kHelp = kMs + "Help";
const std::string kShell = kCv + "Explorer\\User Shell Folders", kHtml = kMs + "HTML Help";
const std::string kShared = kMsCv + "SharedDLLs", kApps = kMsCv + "App Paths";
const std::string kFolders = kMsCv + "Installer\\Folders", kMui = kMs + "ShellNoRoam\\MUICache";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kLm = "HKEY_LOCAL_MACHINE\\", kCu = "HKEY_CURRENT_USER\\";
// One user's keys, marked "~" where HKEY_LOCAL_MACHINE has one of the same path.
const std::string kNt = "Software\\Microsoft\\Windows NT\\CurrentVersion\\";
const std::string kUserRun = "~" + kRun, kUserUninstall = "~" + kUninstall,
                  kUserApps = "~" + kCv + "App Paths", kUserFonts = "~" + kNt + "Fonts";
const std::string kVistaMui =
    "~Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const std::string kStore = "~" + kNt + "AppCompatFlags\\Compatibility Assistant\\Store",
                  kUserLayers = "~" + kNt + "AppCompatFlags\\Layers",
                  kLayers =
                      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const std::string kBadProgram = "|添加/删除 项目无效。|";

// One value a check reads; item: the name it is reported under, if it is.
struct Entry {
    std::string key, name, data, item = "";
    DWORD type = REG_SZ;
};

uint32_t RootOf(const std::string& key) {
    return key.find("CLSID") <= 12                         ? kRootClassesRoot
           : key == kMui || key == kShell || key[0] == '~' ? kRootCurrentUser
                                                           : kRootLocalMachine;
}

std::string PathOf(const std::string& key) {
    return key.substr(key[0] == '~');
}

// The copy 64-bit Windows keeps of a redirected key for 32-bit programs; every check
// reads it too. Outside the view flags' reach here, it is a key like any other.
std::string CopyFor32Bit(const std::string& key) {
    if (key.size() < 9 || RootOf(key) == kRootCurrentUser) return "";
    return RootOf(key) == kRootClassesRoot ? "Wow6432Node\\" + key
                                           : key.substr(0, 9) + "Wow6432Node\\" + key.substr(9);
}

// "@", "#" and "*" in text replaced by the first, second and third of with, where given.
std::string Fill(const std::string& text, const std::vector<std::string>& with) {
    std::string out;
    for (char c : text) {
        const size_t mark = std::string("@#*").find(c);
        out += mark < with.size() ? with[mark] : std::string(1, c);
    }
    return out;
}

// An item's fields: name, description, location, data, kind, job, tick, backup offset, root.
std::string Fields(const ProblemItem& i) {
    std::string out = i.itemName + "|" + i.description + "|" + i.locationText + "|" + i.dataText;
    for (uint32_t n : {uint32_t(i.kind), uint32_t(i.jobId), uint32_t(i.selected),
                       uint32_t(i.backupOffset), i.rootKey})
        out += "|" + std::to_string(n);
    return out;
}

class CheckTest : public SandboxTest {
protected:
    // Runs the check after an item of an earlier job, which must stay as it is.
    ProblemList Scan(velk::Job& job, bool stop) {
        ScanStatus status;
        status.stopRequested = stop;
        ProblemList items(1);
        job.Scan(&status, &items);
        EXPECT_EQ(status.stopRequested, stop) << "a check never writes the stop request";
        EXPECT_EQ(status.problemCount + 1u, items.size());
        EXPECT_EQ(Fields(items[0]), Fields(ProblemItem()));
        return ProblemList(items.begin() + 1, items.end());
    }

    // slot: where the check reads a path "*" named "#" (GBK), for three stale paths, live ones,
    // ones off fixed disks, one too long and two that cannot be told; "@" is the test folder
    // and a key marked "~" one user's. passes: key and Fields of
    // an item of each pass, in order. stopKeeps: the key whose items a stop leaves, "*" all.
    void Check(velk::Job&& job, const Entry& slot, std::vector<Entry> entries,
               const std::vector<std::pair<std::string, std::string>>& passes,
               const std::string& stopKeeps) {
        ASSERT_TRUE(SetEnvironmentVariableA("TW_DIR", files.Root().c_str()));
        auto root = [&](const std::string& text) { return Fill(text, {files.Root()}); };
        const std::string q(2044, 'q'),
            live[] = {files.MakeFile("a b\\here.exe"), files.MakeFile("a b\\run.bat")};
        const std::string paths[] = {
            "@gone.exe", "@\x81\x5C\\gbk.exe", "@no folder\\gone.exe", live[0], live[1],
            "R:\\app\\gone.exe", "S:\\app\\present.exe", "T:\\app\\gone.exe", "C:\\q" + q,
            // a lookup that fails, but not because nothing is there: cannot tell
            "C:\\" + q, "C:\\tidewell-loop\\gone.exe"};
        for (size_t n = 0; n < std::size(paths); ++n) {
            const std::vector<std::string> with = {files.Root(), std::to_string(n) + "\x81\x5C",
                                                   root(paths[n])};
            entries.push_back({Fill(slot.key, with), Fill(slot.name, with), Fill(slot.data, with),
                               n < 3 ? Fill(slot.item, with) : "", slot.type});
        }
        for (size_t i = 0, n = entries.size(); i < n; ++i) // each found once more there
            if (Entry copy = entries[i]; !(copy.key = CopyFor32Bit(copy.key)).empty())
                entries.push_back(copy);
        std::multiset<std::string> expected, found, kept, stopped;
        for (const Entry& e : entries) {
            ASSERT_TRUE(
                PutString(RootOf(e.key), root(PathOf(e.key)), root(e.name), root(e.data), e.type));
            if (!e.item.empty()) expected.insert(root(e.item));
        }
        job.jobId = 5;
        const ProblemList items = Scan(job, false);
        for (const ProblemItem& item : items) {
            found.insert(item.itemName);
            if (stopKeeps == "*" ||
                (item.rootKey == RootOf(stopKeeps) &&
                 (item.keyPath == PathOf(stopKeeps) || item.keyPath == CopyFor32Bit(stopKeeps))))
                kept.insert(item.itemName);
        }
        EXPECT_EQ(found, expected);
        auto at = items.begin();
        for (const auto& [key, fields] : passes) {
            const std::string want = root(fields) + "|5|1|0|" + std::to_string(RootOf(key));
            const std::string name = want.substr(0, want.find('|'));
            while (at != items.end() && (at->keyPath != PathOf(key) || at->rootKey != RootOf(key) ||
                                         at->itemName != name))
                ++at;
            ASSERT_NE(at, items.end()) << name << " missing or out of order";
            EXPECT_EQ(Fields(*at), want);
        }
        for (const ProblemItem& item : Scan(job, true))
            stopped.insert(item.itemName);
        EXPECT_EQ(stopped, kept) << "after a stop request";
    }
};

#define CHECK_TEST(Job, ...) /* slot, entries, passes, stopKeeps */                                \
    using Job##Test = CheckTest;                                                                   \
    TEST_F(Job##Test, ReportsStaleEntriesOnly) {                                                   \
        Check(velk::Job(), __VA_ARGS__);                                                           \
    }

// The room a bare font name has, joined to the fonts folder within the buffer.
size_t FontNameRoom() {
    char windows[MAX_PATH];
    return 2047 - GetWindowsDirectoryA(windows, MAX_PATH) - (sizeof "\\FONTS\\" - 1);
}

} // namespace

// A command is reported only when the whole text names nothing and its program is gone too.
CHECK_TEST(StartupProgsJob, {kRun, "#", "*", "#"},
           {{kRun, "expand", "%TW_DIR%gone.exe", "expand", REG_EXPAND_SZ},
            {kRun, "env-as-sz", "%TW_DIR%gone.exe"},
            {kRun, "gone-args", "@gone.exe /min", "gone-args"},
            {kRun, "exe", "@a b\\HERE.EXE /min"},                 // the program ends after ".exe",
            {kRun, "bat", "@a b\\run.bat now"},                   // else after ".bat",
            {kRun, "bat-exe", "@a b\\run.bat\\x.exe", "bat-exe"}, // wherever each lies,
            {kRun, "gbk-com", "@\xB9\xA4.com -q", "gbk-com"},     // else at the first blank
            {kUserRun, "docker", "@a b\\here.exe -Autostart"},
            {kUserRun, "teams", "@gone\\Update.exe --processStart \"Teams.exe\"", "teams"},
            {kUserRun, "", ""}},
           {{kRun, "expand|值无效。|" + kRun + "|expand = @gone.exe|0"},
            {kUserRun, "teams|值无效。|" + kCu + kRun +
                           "|teams = @gone\\Update.exe --processStart \"Teams.exe\"|0"}},
           kRun);

CHECK_TEST(SharedProgsJob, {kShared, "*", "", "*"},
           {{kShared, "@huge.dll", std::string(5000, 'x'), "@huge.dll", REG_BINARY}},
           {{kShared, "@gone.exe|值无效。|" + kShared + "|@gone.exe|0"}}, "*");

CHECK_TEST(SoftwareLocationsJob, {kApps + "\\#", "", "*", "#"},
           {{kMui, "@gone.exe", "Gone App", "@gone.exe"},
            {kMui, "@a b\\here.exe", "Here App"},
            {kMui, "@expand.exe", "Expand App", "", REG_EXPAND_SZ},
            {kUserApps + "\\tool.exe", "", "@gone.exe", "tool.exe"},
            // Since Vista: the path and an ending, in any letter case; nothing else.
            {kVistaMui, "@gone.exe.FriendlyAppName", "Gone", "@gone.exe.FriendlyAppName"},
            {kVistaMui, "@gone.exe.APPLICATIONCOMPANY", "Co", "@gone.exe.APPLICATIONCOMPANY"},
            {kVistaMui, "@gone.exe.FriendlyAppName.FriendlyAppName", "x",
             "@gone.exe.FriendlyAppName.FriendlyAppName"},
            {kVistaMui, "@a b\\here.exe.FriendlyAppName", "Here"},
            {kVistaMui, "@gone2.exe.FriendlyAppName", "", "", REG_BINARY},
            {kVistaMui, "LangID", "x"},
            {kVistaMui, "@shell32.dll,-123", "x"},
            {kVistaMui, ".FriendlyAppName", "x"},
            {kStore, "@gone.exe", "", "@gone.exe", REG_BINARY},
            {kStore, "@a b\\here.exe", "", "", REG_BINARY},
            {kStore, "SIGN.MEDIA=1A2B3C setup.exe", "", "", REG_BINARY},
            {kStore, "@a b", ""},
            {kUserLayers, "@gone.exe", "~ RUNASADMIN", "@gone.exe"},
            {kLayers, "@gone.exe", "~ WIN7RTM", "@gone.exe"}},
           {{kApps, "0\x81\x5C|值无效。|" + kLm + kApps + "\\0\x81\x5C|(Default) = @gone.exe|1"},
            {kMui, "@gone.exe|值无效。|" + kCu + kMui + "|@gone.exe = Gone App|0"},
            {kUserApps,
             "tool.exe|值无效。|" + kCu + PathOf(kUserApps) + "\\tool.exe|(Default) = @gone.exe|1"},
            {kVistaMui, "@gone.exe.FriendlyAppName|值无效。|" + kCu + PathOf(kVistaMui) +
                            "|@gone.exe.FriendlyAppName = Gone|0"},
            {kStore, "@gone.exe|值无效。|" + kCu + PathOf(kStore) + "|@gone.exe|0"},
            {kUserLayers, "@gone.exe|值无效。|" + kCu + PathOf(kUserLayers) + "|@gone.exe|0"},
            {kLayers, "@gone.exe|值无效。|" + kLm + kLayers + "|@gone.exe|0"}},
           kApps);

CHECK_TEST(AddRemProgsJob, {kFolders, "*", "", "*"},
           {{kUninstall + "\\GoneApp", "UninstallString", "\"@gone.exe\"", "GoneApp"},
            {kUninstall + "\\Log", "UninstallString", "@a b\\here.exe -f\"@gone.log\"", "Log"},
            {kUninstall + "\\Present", "UninstallString", "\"@a b\\here.exe\" /S"},
            // Its program folder still there: installed, whatever became of the uninstaller.
            {kUninstall + "\\Installed", "UninstallString", "\"@gone.exe\""},
            {kUninstall + "\\Installed", "InstallLocation", "@a b\\"},
            {kUserUninstall + "\\UserApp", "UninstallString", "\"@gone.exe\"", "UserApp"},
            {kUserUninstall + "\\UserApp", "InstallLocation", "@gone\\"},
            {kUserUninstall + "\\Installed", "UninstallString", "@gone.exe"},
            {kUserUninstall + "\\Installed", "InstallLocation", "%TW_DIR%", "", REG_EXPAND_SZ}},
           {{kUninstall, "GoneApp" + kBadProgram + kUninstall + "|GoneApp = \"@gone.exe\"|1"},
            {kUserUninstall,
             "UserApp" + kBadProgram + kCu + kUninstall + "|UserApp = \"@gone.exe\"|1"},
            {kFolders, "@gone.exe" + kBadProgram + kFolders + "|@gone.exe|0"}},
           "");

// The server is read through the class's own key, not the one below the walked key.
CHECK_TEST(CustomControlsJob, {"CLSID\\#\\InprocServer32", "", "*", "#"},
           {{"CLSID\\{EXPAND}\\InprocServer32", "", "%TW_DIR%gone.dll", "{EXPAND}", REG_EXPAND_SZ},
            {"CLSID\\{CLASS}", "", "@gone.dll"}},
           {{"CLSID",
             "1\x81\x5C|自定义控制器无效。|HKEY_CLASSES_ROOT\\CLSID\\1\x81\x5C\\InprocServer32|"
             "(Default) = @\x81\x5C\\gbk.exe|1"}},
           "");

// The value's name is the file and its data the folder; with no folder, the name alone.
CHECK_TEST(HelpresJob, {kHelp, "*", "", "*"},
           {{kHelp, "old.hlp", "@Help", "old.hlp"},
            {kHtml, "a.chm", "@\x80\x81\x5C", "a.chm"}, // 0x80 leads no pair
            {kHtml, "new.chm", "@Help\\", "new.chm"},
            {kHtml, std::string(1100, 'n'), "C:\\" + std::string(1000, 'f')}}, // joined too long
           {{kHelp, "old.hlp|帮助文件 old.hlp 不存在|" + kLm + kHelp + "|old.hlp = @Help\\|0"},
            {kHtml, "a.chm|帮助文件 a.chm 不存在|" + kLm + kHtml + "|a.chm = @\x80\x81\x5C\\|0"},
            {kHtml, "new.chm|帮助文件 new.chm 不存在|" + kLm + kHtml + "|new.chm = @Help\\|0"}},
           "");

// A bare name lies in the fonts folder; anything else is a path of its own.
CHECK_TEST(WindowsFontsJob, {kFonts, "#", "*", "#"},
           {{kFonts, "Gone (TrueType)", "tidewell-gone.ttf", "Gone (TrueType)"},
            {kFonts, "Present (TrueType)", "..\\NOTEPAD.EXE"}, // the Windows folder's
            {kFonts, "rooted", "\\gone.ttf"},
            // Joined, within the buffer and past it: beyond a path's length, so never told.
            {kFonts, "fits", std::string(FontNameRoom(), 'f')},
            {kFonts, "too-long", std::string(FontNameRoom() + 1, 'f')},
            // One user's: full paths only.
            {kUserFonts, "User (TrueType)", "@gone.ttf", "User (TrueType)"},
            {kUserFonts, "Here (TrueType)", "@a b\\here.exe"},
            {kUserFonts, "Bare (TrueType)", "tidewell-gone.ttf"}},
           {{kFonts, "Gone (TrueType)|字体项目无效|" + kLm + kFonts +
                         "|Gone (TrueType) = tidewell-gone.ttf|0"},
            {kUserFonts, "User (TrueType)|字体项目无效|" + kCu + PathOf(kUserFonts) +
                             "|User (TrueType) = @gone.ttf|0"}},
           kFonts);

CHECK_TEST(RegistryIntegrityJob, {kShell, "#", "*", "#"},
           {{kShell, "Personal", "%TW_DIR%deleted", "Personal", REG_EXPAND_SZ}},
           {{kShell, "Personal|值无效。|" + kCu + kShell + "|Personal = @deleted|0"}}, "*");

TEST(JobEnumeratorDeathTest, FindsJobsByPositionOnlyAndIsOneAtATime) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    { JobEnumerator first; }
    JobEnumerator jobs; // a new one may follow a destroyed one, not a living one
    int32_t position = 0;
    for (const auto& job : jobs)
        EXPECT_EQ(jobs.FindJob(position++), job.get());
    EXPECT_TRUE(jobs.FindJob(position) == nullptr && jobs.FindJob(-1) == nullptr);
    EXPECT_DEATH({ JobEnumerator second; }, "mSingleton == 0");
}
