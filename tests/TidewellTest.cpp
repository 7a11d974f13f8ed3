// The real tidewell.exe of this build, copied into a fresh folder and run as a process of
// its own over the prefix's registry, driven from outside as a user drives it: SendInput
// clicks or keys, its message boxes read and answered. State is read from the registry, the
// backup folder and the window tree; the screen is only photographed for people.
#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/JobEnumerator.h"
#include "support/AccessibleReader.h"
#include "support/GuiTest.h"
#include "support/RegistrySandbox.h"
#include "support/Screenshot.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

#include <commctrl.h>

#include <cwchar>
#include <functional>
#include <map>
#include <string>

namespace {

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRun32[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kMuiCache[] =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const std::string kMark = "tidewell-e2e-";
const std::string kKept = kMark + "kept"; // stale, but unticked before the fix
const std::string kBack = kMark + "back"; // stale at the scan, its file back before the fix
const std::string kMui = ".FriendlyAppName";

// What the test plants: beside the prefix's own entries, never in their place. A name
// cache value is named by its program's path.
struct Entry {
    uint32_t root;
    const char* key;
    std::string name;
    bool isKey;
    bool stale;
};
const uint32_t kLm = kRootLocalMachine, kCu = kRootCurrentUser;
const Entry kEntries[] = {{kLm, kRun, kMark + "gone", false, true},
                          {kLm, kRun, kKept, false, true},
                          {kLm, kRun, kBack, false, true},
                          {kLm, kRun, kMark + "live", false, false},
                          {kLm, kRun32, kMark + "gone32", false, true}, // the 32-bit programs' copy
                          {kLm, kAppPaths, kMark + "gone.exe", true, true},
                          {kLm, kAppPaths, kMark + "live.exe", true, false},
                          {kCu, kRun, kMark + "user", false, true},
                          {kCu, kMuiCache, kMark + "mui.exe", false, true}};

bool Planted(const std::string& name) {
    return name.find(kMark) != std::string::npos;
}

// The value's name as planted, given the folder its programs are in.
std::string NameIn(const Entry& e, const std::string& root) {
    return e.key == kMuiCache ? root + "gone\\" + e.name + kMui : e.name;
}

bool Exists(const Entry& e, const std::string& root) {
    return e.isKey ? KeyExists(e.root, std::string(e.key) + "\\" + e.name)
                   : ValueExists(e.root, e.key, NameIn(e, root));
}

// Removes the planted entries: a died run's at the start, this run's at the end. The
// tests take turns at the screen, and plant only in their turn.
void RemovePlanted() {
    for (const Entry& e : kEntries)
        if (e.isKey)
            RemoveTree(e.root, std::string(e.key) + "\\" + e.name);
        else if (e.key != kMuiCache)
            RegDeleteKeyValueA(RootKeyHandle(e.root), e.key, e.name.c_str());
    RemoveTree(kCu, kMuiCache); // the prefix has none of its own
}

std::string Dump() {
    return DumpTree(kLm, kRun) + DumpTree(kLm, kRun32) + DumpTree(kLm, kAppPaths) +
           DumpTree(kCu, kRun) + DumpTree(kCu, kMuiCache);
}

std::string Text(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Names that Windows' own components load by name for a program like this one, planted
// beside it. Not uxtheme: Wine's common controls load it before the program's first
// statement. dwmapi crashes when loaded, cryptbase is an empty file, version is in capitals.
const char* const kPlanted[] = {"VERSION", "dwmapi",  "msimg32", "cryptbase", "winmm",
                                "userenv", "propsys", "oleacc",  "profapi",   "sspicli",
                                "cryptsp", "rsaenh",  "ntmarta", "wtsapi32",  "wintrust",
                                "secur32", "dbghelp", "netapi32"};

// Where Wine reads, at each start of a program of that name, which of its DLLs it takes
// from elsewhere.
const char kOverrides[] = "Software\\Wine\\AppDefaults\\tidewell.exe";

// Plants the DLLs in `dir` and has Wine prefer them to its own, as Windows prefers a DLL
// in the program's folder to the system's.
void PlantDlls(const std::string& dir) {
    for (const std::string name : kPlanted) {
        const std::string file = dir + name + ".dll";
        if (name == "cryptbase")
            FileHandle(
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        else
            ASSERT_TRUE(CopyFileA(
                (TestsFolder() + (name == "dwmapi" ? "planted_crash.dll" : "planted_marker.dll"))
                    .c_str(),
                file.c_str(), FALSE));
        ASSERT_TRUE(PutString(kRootCurrentUser, std::string(kOverrides) + "\\DllOverrides", name,
                              "native,builtin"));
    }
}

// The planted DLLs that were loaded.
std::string Loaded(const std::string& dir) {
    std::string names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "*.loaded").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names += std::string(found.cFileName) + " ";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

// Pages, named by a control that only they hold.
const char kWelcome[] = "Button";
const char kProgress[] = "msctls_progress32";
const char kResults[] = "result_view_class";
const char kBackupList[] = "SysListView32";

// Left edges of Continue and Cancel in the frame.
enum { kNext = 413, kCancel = 571 };

class TidewellTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        RemovePlanted();
    }
    void TearDown() override {
        if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 10000);
        }
        RemovePlanted();
        RemoveTree(kRootCurrentUser, kOverrides);
        GuiTest::TearDown();
    }

    // Plants the entries and answers what the program's scan will find, in its order.
    ProblemList Plant() {
        for (const Entry& e : kEntries) {
            const std::string path =
                e.stale ? folder.Path("gone\\" + e.name) : folder.MakeFile(e.name);
            const std::string key = e.isKey ? std::string(e.key) + "\\" + e.name : e.key;
            EXPECT_TRUE(PutString(e.root, key, e.isKey ? "" : NameIn(e, folder.Root()),
                                  e.key == kMuiCache ? "e2e" : path))
                << e.name;
            if (e.isKey) {
                EXPECT_TRUE(PutString(e.root, key, "Path", folder.Root()));
            }
        }
        JobEnumerator jobs; // the program's checks over the same registry, in its order
        ScanStatus status;
        ProblemList items;
        for (const auto& job : jobs)
            job->Scan(&status, &items);
        return items;
    }

    // The program copied into `dir` and started there.
    void Start(const std::string& dir, const char* program = "..\\tidewell.exe",
               const char* shows = "wizard_frame_class") {
        const std::string exe = dir + "tidewell.exe"; // the tests folder sits beside it
        ASSERT_TRUE(CopyFileA((TestsFolder() + program).c_str(), exe.c_str(), FALSE)) << program;
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        // In a job that ends it with the test process, should a timeout end that first:
        // a program left running would stand in every later test's way.
        job.Reset(CreateJobObjectA(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ASSERT_TRUE(job && SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation,
                                                   &limits, sizeof limits));
        ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED, nullptr, dir.c_str(), &startup, &info));
        AssignProcessToJobObject(job.Get(), info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        process.Reset(info.hProcess);
        processId = info.dwProcessId;
        ASSERT_TRUE(PumpUntil([&] { return (frame = TopWindow(shows)) != nullptr; }, 30000))
            << "no window of the class " << shows;
        SetForegroundWindow(frame);
    }

    // A visible top-level window of the program; for "#32770", only a message box (the
    // please-wait dialog has neither OK nor Yes).
    HWND TopWindow(const char* className) const {
        for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
             w = FindWindowExA(nullptr, w, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId && IsWindowVisible(w) &&
                (className[0] != '#' || GetDlgItem(w, IDOK) || GetDlgItem(w, IDYES)))
                return w;
        }
        return nullptr;
    }

    // The one page shown, or null.
    HWND PageShown() const {
        HWND shown = nullptr;
        for (HWND p = FindWindowExA(frame, nullptr, "wizard_page_class", nullptr); p;
             p = FindWindowExA(frame, p, "wizard_page_class", nullptr))
            if (IsWindowVisible(p)) {
                if (shown) return nullptr;
                shown = p;
            }
        return shown;
    }
    std::string Page() const {
        HWND page = PageShown();
        for (const char* kind : {kResults, kProgress, kBackupList, kWelcome})
            if (page && FindWindowExA(page, nullptr, kind, nullptr)) return kind;
        return "";
    }
    HWND Control(const char* className) const {
        return FindWindowExA(PageShown(), nullptr, className, nullptr);
    }
    // Waits for the page and the caption of its Continue button.
    void WaitFor(const char* page, const char* next) {
        ASSERT_TRUE(PumpUntil([&] { return Page() == page && Text(Button(kNext)) == next; }, 60000))
            << "waited for " << page << " with " << next << "; shown: " << Page();
    }

    HWND Button(int left) const { return ChildWindowFromPoint(frame, POINT{left + 56, 477}); }
    void Press(int left) {
        ASSERT_TRUE(IsWindowEnabled(Button(left))) << Text(Button(left));
        // Enter gives the page's default, Continue; Esc gives Cancel.
        keys ? SendKey(left == kNext ? VK_RETURN : VK_ESCAPE)
             : ClickAt(ScreenPoint(frame, left + 56, 477));
    }
    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info);
        return info.hwndFocus;
    }

    // The program's client area as the screen shows it once it stops changing, kept when
    // `still` holds then.
    void Shot(const char* name, const std::function<bool()>& still = {}) {
        // The keyboard run keeps one, of the focus: the mouse run's show the same pages.
        if (keys != (std::string(name) == kKeysShot)) return;
        RECT r = {0, 0, 690, 496};
        MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Image now = CaptureWindow(nullptr, r), last;
        PumpUntil(
            [&] {
                PumpMessages(250);
                last = now;
                now = CaptureWindow(nullptr, r);
                return now.pixels == last.pixels;
            },
            5000);
        EXPECT_TRUE((still && !still()) || !SaveScreenshot(now, name).empty()) << name;
    }

    // On the welcome page: the restore choice, then Continue.
    void ChooseRestore() {
        HWND restore = nullptr;
        for (HWND b = Control("Button"); b; b = FindWindowExA(PageShown(), b, "Button", nullptr))
            restore = Text(b) == "恢复注册表备份" ? b : restore;
        ASSERT_TRUE(restore);
        RECT r;
        GetClientRect(restore, &r);
        keys ? SendKey(VK_DOWN) : ClickAt(ScreenPoint(restore, 6, r.bottom / 2)); // from the first
        ASSERT_TRUE(
            PumpUntil([&] { return SendMessageA(restore, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
        Press(kNext);
    }

    // Waits for a message box, checks its text, photographs it, runs `check` while it is
    // shown and clicks `button` on it.
    void Answer(const char* text, int button, const char* shot,
                const std::function<void()>& check = {}) {
        HWND box = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (box = TopWindow("#32770")) != nullptr; }, 60000))
            << "no box saying " << text;
        ASSERT_EQ(Text(GetDlgItem(box, 0xFFFF)), text);
        if (shot) Shot(shot);
        if (check) check();
        RECT r;
        GetWindowRect(box, &r);
        const Image shown = CaptureWindow(nullptr, r);
        // Every answer here is the box's default button.
        keys ? SendKey(VK_RETURN)
             : void(PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0));
        // Wine draws what the box hid again only seconds later.
        PumpUntil(
            [&] { return !IsWindow(box) && CaptureWindow(nullptr, r).pixels != shown.pixels; },
            10000);
    }

    // Scans, and leaves ticked only what the test planted, but kKept.
    void ScanAndTickPlanted(const ProblemList& items, bool shots) {
        ASSERT_NO_FATAL_FAILURE(WaitFor(kWelcome, "继续 >"));
        if (shots) Shot("01-welcome");
        Press(kNext);
        bool progressSeen = false; // a quick scan may end unseen
        ASSERT_TRUE(PumpUntil(
            [&] {
                if (shots && !progressSeen && (progressSeen = Page() == kProgress))
                    Shot("02-progress", [&] { return Page() == kProgress; });
                return Page() == kResults;
            },
            60000));
        ASSERT_NO_FATAL_FAILURE(WaitFor(kResults, "修复"));
        if (shots) Shot("03-results");
        // The mouse run leaves kKept to a screen reader, the keyboard run to its keys.
        if (!keys) {
            ASSERT_NO_FATAL_FAILURE(ReadAndUntickKept(items));
        }
        std::map<int, int> cards;
        for (const ProblemItem& item : items) {
            const int card = cards[item.jobId]++;
            if (!Planted(item.itemName) || (keys && item.itemName == kKept)) {
                ASSERT_NO_FATAL_FAILURE(Untick(item.jobId, card));
            }
        }
        Shot(kKeysShot);
    }

    // A screen reader reads the page as shown, all items listed, and unticks kKept.
    void ReadAndUntickKept(const ProblemList& items) {
        EXPECT_EQ(AccessibleReader(PageShown()).Name(CHILDID_SELF), L"扫描结果");
        AccessibleReader groups(Control("group_view_class")), cards(Control(kResults));
        ASSERT_TRUE(groups.acc && cards.acc);
        JobEnumerator jobs;
        std::map<LONG, int> counts = {{1, static_cast<int>(items.size())}};
        for (const ProblemItem& item : items)
            ++counts[item.jobId + 1];
        ASSERT_EQ(groups.Children(), jobs.size());
        for (LONG row = 1; row <= static_cast<LONG>(jobs.size()); ++row) {
            const std::string name = row == 1 ? "所有项目" : jobs.FindJob(row - 1)->name;
            EXPECT_EQ(groups.Name(row),
                      WideFromGbk(name + " (" + std::to_string(counts[row]) + ")"));
            EXPECT_EQ(groups.Role(row), ROLE_SYSTEM_LISTITEM);
            EXPECT_EQ(groups.State(row) & STATE_SYSTEM_SELECTED,
                      row == 1 ? STATE_SYSTEM_SELECTED : 0);
        }
        const LONG count = static_cast<LONG>(items.size());
        ASSERT_EQ(cards.Children(), items.size());
        EXPECT_EQ(cards.State(count + 1), E_INVALIDARG);
        for (LONG card = 1; card <= count; ++card) {
            const ProblemItem& item = items[static_cast<size_t>(card - 1)];
            EXPECT_EQ(cards.Name(card), WideFromGbk(item.description));
            EXPECT_EQ(cards.Role(card), ROLE_SYSTEM_CHECKBUTTON);
            EXPECT_EQ(cards.State(card) & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
            if (item.itemName != kKept) continue;
            EXPECT_EQ(cards.Act(card), S_OK);
            EXPECT_EQ(cards.State(card) & STATE_SYSTEM_CHECKED, 0);
        }
    }

    // Unticks card `card` of the group of job `job`; the view shows seven cards.
    void Untick(int job, int card) {
        ASSERT_LT(card, 7) << "job " << job << " has more cards than the view shows";
        if (!keys) {
            ClickAt(ScreenPoint(Control("group_view_class"), 150, 32 * job + 16));
            ClickAt(ScreenPoint(Control(kResults), 17, 17 + 60 * card));
            return;
        }
        // Tab to the groups, down to the job's row, Tab to its cards, down to the card.
        const HWND groups = Control("group_view_class");
        for (int i = 0; i < 5 && !PumpUntil([&] { return Focus() == groups; }, 500); ++i)
            SendKey(VK_TAB);
        SendKey(VK_HOME);
        for (int i = 0; i < job; ++i)
            SendKey(VK_DOWN);
        SendKey(VK_TAB);
        for (int i = 0; i < card; ++i)
            SendKey(VK_DOWN);
        SendKey(VK_SPACE);
    }

    const char* const kKeysShot = "11-keyboard-focus";
    bool keys = false; // the keyboard's road, not the mouse's
    TestFolder folder;
    KernelHandle job, process;
    DWORD processId = 0;
    HWND frame = nullptr;
};

class TidewellRun : public TidewellTest, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(ByMouseAndByKeys, TidewellRun, ::testing::Bool());

// Run from drive F:, a small file system filled up before the fix: a fix whose backup
// does not fit deletes nothing. With room again, a fix with a backup deletes the ticked
// ones; the backup restores them, and the program quits. By the mouse, then by keys alone.
TEST_P(TidewellRun, ScanFixWithABackupRestoreAndQuit) {
    keys = GetParam();
    const ProblemList items = Plant();
    const std::string before = Dump(), dir = "F:\\tidewell-e2e\\", fill = dir + "fill";
    DeleteTreeOnDisk("F:\\tidewell-e2e");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << "no drive F: (tools/test.sh makes it)";
    ASSERT_NO_FATAL_FAILURE(PlantDlls(dir));
    ASSERT_NO_FATAL_FAILURE(Start(dir));
    ASSERT_NO_FATAL_FAILURE(ScanAndTickPlanted(items, true));
    // Put back after the scan: the fix must leave it alone.
    folder.MakeFile("gone\\" + kBack);
    {
        FileHandle full(CreateFileA(fill.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0));
        static char block[4096];
        DWORD written = 0;
        ASSERT_TRUE(full);
        while (WriteFile(full.Get(), block, sizeof block, &written, nullptr) && written) {
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    Press(kNext);
    ASSERT_NO_FATAL_FAILURE(Answer("你希望创建一个备份吗？", IDYES, nullptr));
    ASSERT_NO_FATAL_FAILURE(Answer("创建备份文件失败，你的系统未修改。", IDOK, "10-backup-failed"));
    DeleteFileA(fill.c_str());
    EXPECT_EQ(Dump(), before) << "only what the test planted is ticked";
    // Only an empty folder can be removed.
    EXPECT_TRUE(RemoveDirectoryA((dir + "backups").c_str()) ||
                GetLastError() == ERROR_FILE_NOT_FOUND)
        << "a file left in the backups folder";
    ASSERT_NO_FATAL_FAILURE(WaitFor(kResults, "修复"));
    Press(kNext);
    ASSERT_NO_FATAL_FAILURE(Answer("你希望创建一个备份吗？", IDYES, "04-backup-question"));
    ASSERT_NO_FATAL_FAILURE(Answer("所有操作已成功完成。", IDOK, "05-fixed", [&] {
        for (const Entry& e : kEntries)
            EXPECT_EQ(Exists(e, folder.Root()), !e.stale || e.name == kKept || e.name == kBack)
                << e.name;
    }));
    ASSERT_NO_FATAL_FAILURE(WaitFor(kWelcome, "继续 >"));
    EXPECT_NE(GetFileAttributesA((dir + "backups\\自动备份001.backup2").c_str()),
              INVALID_FILE_ATTRIBUTES);

    ASSERT_NO_FATAL_FAILURE(ChooseRestore());
    ASSERT_NO_FATAL_FAILURE(WaitFor(kBackupList, "继续 >"));
    HWND list = Control(kBackupList);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
    Shot("06-backup-list");
    RECT r;
    GetWindowRect(FindWindowExA(list, nullptr, "SysHeader32", nullptr), &r);
    keys ? SendKey(VK_DOWN) : ClickAt(ScreenPoint(list, 60, r.bottom - r.top + 8));
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 1; }));
    Press(kNext);
    ASSERT_NO_FATAL_FAILURE(WaitFor(kResults, "继续 >"));
    Shot("07-records");
    Press(kNext);
    ASSERT_NO_FATAL_FAILURE(Answer("你真的希望恢复吗？", IDYES, "08-restore-question"));
    ASSERT_NO_FATAL_FAILURE(Answer("所有操作已成功完成。", IDOK, "09-restored", [&] {
        EXPECT_EQ(Dump(), before) << "the keys as they were before the fix";
    }));
    ASSERT_NO_FATAL_FAILURE(WaitFor(kWelcome, "继续 >"));

    Press(kCancel);
    ASSERT_NO_FATAL_FAILURE(Answer("你希望退出吗？", IDYES, nullptr));
    ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Loaded(dir), "");
    DeleteTreeOnDisk("F:\\tidewell-e2e");
}

// Nothing is listed through a link in place of the backup folder, and the program says
// why: the test command's Unix link to a folder holding a backup, which Wine shows as a
// reparse point.
TEST_F(TidewellTest, ALinkInPlaceOfTheBackupFolderIsNotGoneThrough) {
    ASSERT_NO_FATAL_FAILURE(Start("C:\\tidewell-links\\app\\"));
    ASSERT_NO_FATAL_FAILURE(ChooseRestore());
    ASSERT_NO_FATAL_FAILURE(Answer(
        "备份文件夹是一个链接（联接点或符号链接），本程序不通过它读写备份。", IDOK, nullptr));
    ASSERT_NO_FATAL_FAILURE(WaitFor(kBackupList, "继续 >"));
    EXPECT_EQ(SendMessageA(Control(kBackupList), LVM_GETITEMCOUNT, 0, 0), 0);
    Press(kCancel);
    ASSERT_NO_FATAL_FAILURE(Answer("你希望退出吗？", IDYES, nullptr));
    EXPECT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

// The DLLs planted as above do load into a program that does not refuse them.
TEST_F(TidewellTest, PlantedDllsLoadIntoAProgramThatDoesNotRefuseThem) {
    ASSERT_NO_FATAL_FAILURE(PlantDlls(folder.Root()));
    ASSERT_NO_FATAL_FAILURE(Start(folder.Root(), "PlainWindow.exe", "Button"));
    WaitForSingleObject(process.Get(), 20000); // it may crash, in the planted DLL
    EXPECT_NE(Loaded(folder.Root()), "");
}

// Run by tools/release-check.sh under an English locale, where the ANSI code page is 1252:
// the program says what it needs, in both languages, and ends having touched nothing.
TEST_F(TidewellTest, DISABLED_UnderAnotherCodePageTheProgramSaysSoAndEnds) {
    ASSERT_NE(GetACP(), 936u) << "run under another code page (tools/release-check.sh)";
    ASSERT_NO_FATAL_FAILURE(Start(folder.Root(), "..\\tidewell.exe", "#32770"));
    wchar_t text[1024] = {};
    GetWindowTextW(GetDlgItem(frame, 0xFFFF), text, 1024);
    EXPECT_TRUE(wcsstr(text, L"简体中文") && wcsstr(text, L"\"Chinese (Simplified)\""));
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(GetFileAttributesA(folder.Path("backups").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
