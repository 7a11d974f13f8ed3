// The real program, driven from this process as a user drives it: the x86_64
// tidewell.exe of the build, copied into a folder of its own (so that its "backups"
// folder is this test's), over the prefix's real registry with stale and live entries
// planted beside what the prefix holds. Clicks go through SendInput; message boxes are
// read from the screen and answered; the registry is checked between the steps.
#include "backup/BackupManager.h"
#include "controls/DoubleBufferedPaint.h"
#include "engine/JobEnumerator.h"
#include "resources/ResourceIds.h"
#include "support/BackupFolderTest.h"
#include "support/GuiTest.h"
#include "support/RegistryGuard.h"
#include "support/RegistrySandbox.h"
#include "support/RemoteProgram.h"
#include "support/Screenshot.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <set>

namespace {

const std::string kRoot = "C:\\tidewell-e2e";
const std::string kProgramFolder = kRoot + "\\program\\";
const std::string kBackups = kProgramFolder + "backups\\";
const std::string kLive = kRoot + "\\live\\";
const std::string kMissing = kRoot + "\\missing\\"; // never made

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User "
                             "Shell Folders";
const char kClsid[] = "CLSID";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kMuiCache[] = "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelp[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
const char kShared[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

const char kStaleClass[] = "{7D1E0E2E-0000-4000-8000-00000000DEAD}";
const char kLiveClass[] = "{7D1E0E2E-0000-4000-8000-00000000BEEF}";

struct Area {
    uint32_t root;
    const char* path;
};
const Area kAreas[] = {
    {kRootCurrentUser, kShellFolders}, {kRootClassesRoot, kClsid},   {kRootLocalMachine, kAppPaths},
    {kRootCurrentUser, kMuiCache},     {kRootLocalMachine, kFonts},  {kRootLocalMachine, kHelp},
    {kRootLocalMachine, kHtmlHelp},    {kRootLocalMachine, kShared}, {kRootLocalMachine, kRun},
    {kRootLocalMachine, kUninstall},   {kRootLocalMachine, kFolders}};

// The subkeys the entries below plant; each is guarded as a whole tree.
const Area kPlantedTrees[] = {
    {kRootClassesRoot, "CLSID\\{7D1E0E2E-0000-4000-8000-00000000DEAD}"},
    {kRootClassesRoot, "CLSID\\{7D1E0E2E-0000-4000-8000-00000000BEEF}"},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
                        "tidewell-e2e-gone.exe"},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
                        "tidewell-e2e-live.exe"},
    {kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                        "tidewell-e2e-gone"},
    {kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                        "tidewell-e2e-live"}};

// An entry the test planted: the value itemName of keyPath, or its subkey itemName.
struct Entry {
    uint32_t root;
    std::string keyPath;
    std::string itemName;
    int32_t kind;
    bool stale;
};

bool Exists(const Entry& e) {
    return e.kind == kKindKey ? KeyExists(e.root, e.keyPath + "\\" + e.itemName)
                              : ValueExists(e.root, e.keyPath, e.itemName);
}

// One stale entry for every area of every check, and a sound one beside each.
bool Plant(bool withStale, std::vector<Entry>& planted) {
    bool ok = true;
    auto value = [&](bool stale, uint32_t root, const std::string& key, const std::string& name,
                     const std::string& data) {
        ok = PutString(root, key, name, data) && ok;
        planted.push_back({root, key, name, kKindValue, stale});
    };
    struct Put {
        std::string key; // below the planted key
        std::string name;
        std::string data;
    };
    auto tree = [&](bool stale, uint32_t root, const std::string& parent, const std::string& sub,
                    const std::vector<Put>& puts) {
        for (const Put& put : puts)
            ok = PutString(root, parent + "\\" + sub + put.key, put.name, put.data) && ok;
        planted.push_back({root, parent, sub, kKindKey, stale});
    };
    const std::string gone = kMissing;
    const std::string app = kLive + "app.exe";
    if (withStale) {
        value(true, kRootCurrentUser, kShellFolders, "tidewell-e2e 文件夹", gone + "文件夹");
        tree(true, kRootClassesRoot, kClsid, kStaleClass,
             {{"\\InprocServer32", "", gone + "server.dll"},
              {"\\InprocServer32", "ThreadingModel", "Both"}});
        tree(true, kRootLocalMachine, kAppPaths, "tidewell-e2e-gone.exe",
             {{"", "", gone + "gone.exe"}, {"", "Path", gone}});
        value(true, kRootCurrentUser, kMuiCache, gone + "cached.exe", "缓存的程序");
        value(true, kRootLocalMachine, kFonts, "tidewell-e2e 字体 (TrueType)", gone + "gone.ttf");
        value(true, kRootLocalMachine, kHelp, "tidewell-e2e.hlp", gone + "help");
        value(true, kRootLocalMachine, kHtmlHelp, "tidewell-e2e.chm", gone + "help\\");
        ok = PutDword(kRootLocalMachine, kShared, gone + "shared.dll", 3) && ok;
        planted.push_back({kRootLocalMachine, kShared, gone + "shared.dll", kKindValue, true});
        value(true, kRootLocalMachine, kRun, "tidewell-e2e-run-1", gone + "run1.exe");
        value(true, kRootLocalMachine, kRun, "tidewell-e2e-run-2", gone + "run2.exe /背景");
        tree(true, kRootLocalMachine, kUninstall, "tidewell-e2e-gone",
             {{"", "UninstallString", gone + "uninst.exe /S"}, {"", "DisplayName", "测试程序"}});
        value(true, kRootLocalMachine, kFolders, gone + "folder\\", "");
    }
    // Sound entries: they must survive every fix.
    value(false, kRootCurrentUser, kShellFolders, "tidewell-e2e-live", kLive);
    tree(false, kRootClassesRoot, kClsid, kLiveClass,
         {{"\\InprocServer32", "", kLive + "server.dll"}});
    tree(false, kRootLocalMachine, kAppPaths, "tidewell-e2e-live.exe", {{"", "", app}});
    value(false, kRootCurrentUser, kMuiCache, app, "程序");
    value(false, kRootLocalMachine, kFonts, "tidewell-e2e live (TrueType)", kLive + "live.ttf");
    value(false, kRootLocalMachine, kHelp, "live.hlp", kLive);
    ok = PutDword(kRootLocalMachine, kShared, kLive + "server.dll", 1) && ok;
    planted.push_back({kRootLocalMachine, kShared, kLive + "server.dll", kKindValue, false});
    value(false, kRootLocalMachine, kRun, "tidewell-e2e-run-live", "\"" + app + "\" /x");
    tree(false, kRootLocalMachine, kUninstall, "tidewell-e2e-live",
         {{"", "UninstallString", app + " /uninstall"}});
    value(false, kRootLocalMachine, kFolders, kLive, "");
    return ok;
}

// What the program's scan must find: the same jobs, run here over the same registry.
ProblemList ScanHere(const JobEnumerator& jobs) {
    ScanStatus status;
    ProblemList items;
    for (velk::Job* job : jobs) {
        status.problemCount = 0;
        job->Scan(&status, &items);
    }
    return items;
}

std::string DumpAreas() {
    std::string dump;
    for (const Area& a : kAreas)
        dump += std::string(a.path) + ":\n" + DumpTreeExactly(a.root, a.path);
    return dump;
}

std::string ProgramBuilt() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    path.erase(LastBackslash(path)); // tests\ .
    path.erase(LastBackslash(path) + 1);
    return path + "tidewell.exe";
}

std::string GuardFile() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    path.erase(LastBackslash(path) + 1);
    return path + "e2e-registry-guard.bin";
}

std::string ShortDate(const FILETIME& time) {
    SYSTEMTIME date = {};
    FileTimeToSystemTime(&time, &date);
    char text[64] = {};
    GetDateFormatA(0, DATE_SHORTDATE, &date, nullptr, text, sizeof text);
    return text;
}

long Distance(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return LONG_MAX;
    long d = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {0, 8, 16})
            d += std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF));
    return d;
}

// Draws into a bitmap of the given size as the program draws, and reads it back.
Image Render(int width, int height, const std::function<void(HDC)>& draw) {
    HDC screen = GetDC(nullptr);
    MemoryDc dc(CreateCompatibleDC(screen));
    GdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    {
        SelectedObject selected(dc.Get(), bitmap.Get());
        draw(dc.Get());
    }
    Image image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    GetDIBits(dc.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, height, bits.data(), &info,
              DIB_RGB_COLORS);
    image.width = width;
    image.height = height;
    image.pixels.resize(bits.size());
    for (size_t i = 0; i < bits.size(); ++i)
        image.pixels[i] = bits[i] & 0xFFFFFF;
    return image;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    GdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
}

enum class Page { None, Welcome, Progress, Results, BackupList };

const char* const kTitles[] = {"欢迎使用 Velk Tidewell", "处理", "扫描结果", "选择备份文件",
                               "选择恢复记录"};

enum class Tick { Off, On };

class TidewellTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(guard.RecoverLeftover()) << "a registry state left by an earlier run";
        DeleteTreeOnDisk(kRoot);
        ASSERT_EQ(GetFileAttributesA(kRoot.c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(CreateDirectoryA(kRoot.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(kProgramFolder.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(kLive.c_str(), nullptr));
        for (const char* name : {"app.exe", "server.dll", "live.ttf", "live.hlp"})
            ASSERT_TRUE(WriteFileBytes(kLive + name, "MZ", 2));
        ASSERT_TRUE(
            CopyFileA(ProgramBuilt().c_str(), (kProgramFolder + "tidewell.exe").c_str(), FALSE))
            << ProgramBuilt();

        // What the program may change: every area's values, the planted trees and the
        // trees of what the scan finds in the prefix already.
        natural = ScanHere(jobs);
        std::vector<GuardedRegion> regions;
        for (const Area& a : kAreas) {
            regions.push_back({a.root, a.path, false, false, {}});
            // Keys that planting makes go again, from the highest one made.
            std::string missing;
            for (std::string path = a.path; !path.empty() && !KeyExists(a.root, path);
                 path = path.substr(
                     0, LastBackslash(path) == std::string::npos ? 0 : LastBackslash(path)))
                missing = path;
            if (!missing.empty()) regions.push_back({a.root, missing, true, false, {}});
        }
        for (const Area& a : kPlantedTrees)
            regions.push_back({a.root, a.path, true, false, {}});
        for (const ProblemItem& item : natural)
            if (item.kind == kKindKey)
                regions.push_back(
                    {item.rootKey, item.keyPath + "\\" + item.itemName, true, false, {}});
        ASSERT_TRUE(guard.Save(regions));
        guarded = true;
    }

    void TearDown() override {
        program.Kill();
        if (guarded) {
            EXPECT_TRUE(guard.Restore()) << "the prefix's registry could not be put back";
            for (const Entry& e : planted)
                EXPECT_FALSE(Exists(e)) << e.keyPath << "\\" << e.itemName << " left behind";
        }
        DeleteTreeOnDisk(kRoot);
        GuiTest::TearDown();
    }

    void PlantEntries(bool stale) {
        ASSERT_TRUE(Plant(stale, planted));
        expected = ScanHere(jobs);
        for (const Entry& e : planted) {
            const bool found = std::any_of(expected.begin(), expected.end(), [&](auto& item) {
                return item.rootKey == e.root && item.keyPath == e.keyPath &&
                       item.itemName == e.itemName && item.kind == e.kind;
            });
            EXPECT_EQ(found, e.stale) << e.keyPath << "\\" << e.itemName;
            (e.stale ? staleEntries : liveEntries).push_back(e);
        }
    }

    void StartProgram() {
        ASSERT_TRUE(program.Start(kProgramFolder + "tidewell.exe"));
        ASSERT_TRUE(WaitUntil(
            [&] {
                auto frames = program.TopWindows("wizard_frame_class");
                frame = frames.empty() ? nullptr : frames[0];
                return frame != nullptr;
            },
            30000))
            << "no main window";
        ASSERT_TRUE(WaitForPage(Page::Welcome));
        SetForegroundWindow(frame);
    }

    // The page window that is shown, by what it holds.
    Page Shown() const {
        Page shown = Page::None;
        int visible = 0;
        for (HWND page : ChildrenOfClass(frame, "wizard_page_class")) {
            if (!IsWindowVisible(page)) continue;
            ++visible;
            if (!ChildrenOfClass(page, "result_view_class").empty())
                shown = Page::Results;
            else if (!ChildrenOfClass(page, "msctls_progress32").empty())
                shown = Page::Progress;
            else if (!ChildrenOfClass(page, "SysListView32").empty())
                shown = Page::BackupList;
            else if (!ChildrenOfClass(page, "Button").empty())
                shown = Page::Welcome;
        }
        return visible == 1 ? shown : Page::None;
    }
    HWND PageWindow() const {
        for (HWND page : ChildrenOfClass(frame, "wizard_page_class"))
            if (IsWindowVisible(page)) return page;
        return nullptr;
    }
    bool WaitForPage(Page page, DWORD timeout = 60000) {
        return WaitUntil([&] { return Shown() == page; }, timeout);
    }

    HWND ButtonAt(int left) const {
        for (HWND button : ChildrenOfClass(frame, "button_class")) {
            RECT r;
            GetWindowRect(button, &r);
            MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
            if (r.left == left) return button;
        }
        return nullptr;
    }
    HWND Back() const { return ButtonAt(293); }
    HWND Next() const { return ButtonAt(413); }
    HWND Cancel() const { return ButtonAt(571); }
    void Press(HWND button) {
        ASSERT_TRUE(button);
        ASSERT_TRUE(IsWindowEnabled(button)) << WindowText(button);
        ClickAt(ScreenPoint(button, 56, 18));
    }
    // Caption, and whether it can be pressed, of Back, Continue and Cancel.
    std::string Buttons() const {
        std::string all;
        for (HWND b : {Back(), Next(), Cancel()})
            all += "[" + WindowText(b) + (IsWindowEnabled(b) ? "]" : " disabled]");
        return all;
    }

    // The title the header shows, of the five the wizard has.
    std::string Title() const {
        const Image shown = CaptureScreenArea(frame, RECT{0, 0, 690, 59});
        std::string best;
        long bestDistance = LONG_MAX;
        for (const char* title : kTitles) {
            const Image drawn = Render(690, 59, [&](HDC dc) {
                GdiObject header(
                    LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_HEADER)));
                MemoryDc source(CreateCompatibleDC(dc));
                SelectedObject selected(source.Get(), header.Get());
                BitBlt(dc, 0, 0, 690, 59, source.Get(), 0, 0, SRCCOPY);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, RGB(255, 255, 255));
                GdiObject font = velk::CreateWizardFont(dc, 18, FW_BOLD, "Garamond");
                SelectedObject withFont(dc, font.Get());
                RECT r = {30, 0, 630, 59};
                DrawTextA(dc, title, -1, &r, DT_SINGLELINE | DT_VCENTER);
            });
            const long d = Distance(drawn, shown);
            if (d < bestDistance) {
                bestDistance = d;
                best = title;
            }
        }
        return best;
    }
    bool WaitForTitle(const std::string& title) {
        return WaitUntil([&] { return Title() == title; }, 5000);
    }

    HWND GroupView() const {
        auto views = ChildrenOfClass(PageWindow(), "group_view_class");
        return views.empty() ? nullptr : views[0];
    }
    HWND ResultView() const {
        auto views = ChildrenOfClass(PageWindow(), "result_view_class");
        return views.empty() ? nullptr : views[0];
    }

    // The count a group row shows: of the texts with counts 0 to 60, the one drawn.
    int GroupCount(int row, bool selected) const {
        HWND view = GroupView();
        RECT client;
        GetClientRect(view, &client);
        const int left = row == 0 ? 0 : 20;
        const RECT text = {left + 32, 1, client.right - 1, 31};
        const Image shown =
            Crop(CaptureScreenArea(view, RECT{0, 32 * row, client.right, 32 * row + 32}), text);
        const std::string name = row == 0 ? std::string("所有项目") : jobs.FindJob(row)->name;
        int best = -1;
        long bestDistance = LONG_MAX;
        for (int count = 0; count <= 60; ++count) {
            const std::string caption = name + " (" + std::to_string(count) + ")";
            const Image drawn =
                Crop(Render(client.right, 32,
                            [&](HDC dc) {
                                Fill(dc, RECT{0, 0, client.right, 32}, RGB(237, 242, 252));
                                if (selected) {
                                    GdiObject brush(CreateSolidBrush(RGB(187, 194, 214)));
                                    GdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
                                    SelectedObject b(dc, brush.Get()), p(dc, pen.Get());
                                    Rectangle(dc, left, 0, client.right, 32);
                                }
                                GdiObject font =
                                    row == 0 ? velk::CreateWizardFont(dc, 9, FW_BOLD, "Tahoma")
                                             : velk::CreateWizardFont(dc, 7, FW_NORMAL, "Tahoma");
                                SelectedObject withFont(dc, font.Get());
                                SetBkMode(dc, TRANSPARENT);
                                SetTextColor(dc, row == 0 ? RGB(196, 0, 0) : RGB(0, 0, 0));
                                RECT r = {left + 32, 0, client.right, 32};
                                DrawTextA(dc, caption.c_str(), -1, &r,
                                          DT_SINGLELINE | DT_VCENTER | DT_LEFT);
                            }),
                     text);
            const long d = Distance(drawn, shown);
            if (d < bestDistance) {
                bestDistance = d;
                best = count;
            }
        }
        return best;
    }

    // The tick boxes of the cards the result view shows, top down.
    std::vector<Tick> Ticks() const {
        HWND view = ResultView();
        RECT client;
        GetClientRect(view, &client);
        const Image shown = CaptureScreenArea(view, client);
        auto box = [](int image) {
            return Render(16, 16, [&](HDC dc) {
                Fill(dc, RECT{0, 0, 16, 16}, RGB(255, 255, 255));
                HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
                for (int id : {IDI_TICK_OFF, IDI_TICK_ON}) {
                    IconHandle icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                                  MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                                  16, 16, LR_DEFAULTCOLOR)));
                    ImageList_AddIcon(list, icon.Get());
                }
                ImageList_Draw(list, image, dc, 0, 0, ILD_NORMAL);
                ImageList_Destroy(list);
            });
        };
        const Image off = box(0), on = box(1);
        std::vector<Tick> ticks;
        for (int k = 0; 9 + 60 * k + 16 <= client.bottom; ++k) {
            const Image here = Crop(shown, RECT{9, 9 + 60 * k, 25, 25 + 60 * k});
            const long toOff = Distance(here, off), toOn = Distance(here, on);
            Image blank = here;
            for (uint32_t& p : blank.pixels)
                p = shown.At(2, 9 + 60 * k);
            const long toNone = Distance(here, blank);
            if (toNone <= toOff && toNone <= toOn) break;
            ticks.push_back(toOn < toOff ? Tick::On : Tick::Off);
        }
        return ticks;
    }

    void ChooseGroup(int row) {
        ClickAt(ScreenPoint(GroupView(), 150, 32 * row + 16));
        Sleep(300);
    }
    void ClickTick(int card) {
        ClickAt(ScreenPoint(ResultView(), 17, 17 + 60 * card));
        Sleep(300);
    }

    std::map<int, int> CountsByJob(const ProblemList& items) const {
        std::map<int, int> counts;
        for (const ProblemItem& item : items)
            ++counts[item.jobId];
        return counts;
    }

    // Every group's row count and, chosen, its cards; all of them ticked or not.
    void ExpectGroups(const ProblemList& items, Tick tick, const char* what) {
        const std::map<int, int> counts = CountsByJob(items);
        EXPECT_EQ(GroupCount(0, true), static_cast<int>(items.size())) << what;
        for (int job = 1; job <= 8; ++job) {
            const int n = counts.count(job) ? counts.at(job) : 0;
            EXPECT_EQ(GroupCount(job, false), n) << what << ": job " << job;
        }
        for (int job = 1; job <= 8; ++job) {
            const int n = counts.count(job) ? counts.at(job) : 0;
            ChooseGroup(job);
            const std::vector<Tick> ticks = Ticks();
            EXPECT_EQ(static_cast<int>(ticks.size()), std::min(n, 7)) << what << ": job " << job;
            for (Tick t : ticks)
                EXPECT_EQ(t, tick) << what << ": job " << job;
        }
        ChooseGroup(0);
    }

    void Shot(const std::string& name, HWND window = nullptr) {
        Sleep(200);
        EXPECT_FALSE(
            SaveScreenshot(CaptureScreenOf(window ? window : frame), ("e2e_" + name).c_str())
                .empty());
    }

    // A box, read, photographed, checked and answered.
    void ExpectBox(const std::string& shot, const char* text, const char* caption, bool yesNo,
                   const char* icon, int answer, const std::function<void()>& whileShown = {}) {
        SeenBox box;
        ASSERT_TRUE(WaitForBox(program, box, 60000,
                               [&] {
                                   HWND wait = FindButtonlessDialog(program);
                                   if (wait && !waitShot) {
                                       waitShot = true;
                                       Shot("wait_dialog", wait);
                                       EXPECT_EQ(WindowText(wait), "正在处理..");
                                   }
                               }))
            << "no box saying " << text;
        Shot(shot, box.window);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.yesNo, yesNo) << text;
        EXPECT_EQ(box.icon, icon) << text;
        EXPECT_EQ(GetWindow(box.window, GW_OWNER), frame) << text;
        if (whileShown) whileShown();
        Answer(box, answer);
    }
    void ExpectNoBox(DWORD milliseconds = 1000) {
        SeenBox box;
        EXPECT_FALSE(WaitForBox(program, box, milliseconds)) << "unexpected box: " << box.text;
        if (box.window) Answer(box, box.yesNo ? IDNO : IDOK);
    }

    void Scan() {
        ASSERT_EQ(Shown(), Page::Welcome);
        Press(Next());
        ASSERT_TRUE(WaitForPage(Page::Results)) << "the scan did not end";
        EXPECT_TRUE(WaitForTitle("扫描结果"));
        EXPECT_EQ(Buttons(), "[< 后退][修复][取消]");
    }

    void ChooseOnWelcome(const char* caption) {
        ASSERT_EQ(Shown(), Page::Welcome);
        for (HWND choice : ChildrenOfClass(PageWindow(), "Button"))
            if (WindowText(choice) == caption) {
                ClickAt(ScreenPoint(choice, 7, 10));
                EXPECT_EQ(SendMessageA(choice, BM_GETCHECK, 0, 0), BST_CHECKED) << caption;
                return;
            }
        ADD_FAILURE() << "no choice " << caption;
    }

    HWND BackupList() const {
        auto lists = ChildrenOfClass(PageWindow(), "SysListView32");
        return lists.empty() ? nullptr : lists[0];
    }
    // Welcome -> the backup list.
    void OpenBackupList() {
        ChooseOnWelcome("恢复注册表备份");
        Press(Next());
        ASSERT_TRUE(WaitForPage(Page::BackupList));
        EXPECT_TRUE(WaitForTitle("选择备份文件"));
        EXPECT_EQ(Buttons(), "[< 后退][继续 >][取消]");
    }
    void SelectBackupRow(int row) {
        RemoteListView list(program.Process(), BackupList());
        const RECT r = list.RowRect(row);
        ClickAt(ScreenPoint(BackupList(), r.left + 20, (r.top + r.bottom) / 2));
        EXPECT_EQ(list.SelectedCount(), 1);
    }
    // The backup list -> the records of the first backup.
    void OpenRecords() {
        SelectBackupRow(0);
        Press(Next());
        ASSERT_TRUE(WaitForPage(Page::Results));
        EXPECT_TRUE(WaitForTitle("选择恢复记录"));
        EXPECT_EQ(Buttons(), "[< 后退][继续 >][取消]");
    }

    void ExpectRegistryAfterFix(const Entry* unticked) {
        for (const ProblemItem& item : expected) {
            const Entry e = {item.rootKey, item.keyPath, item.itemName, item.kind, true};
            const bool kept = unticked && e.root == unticked->root &&
                              e.keyPath == unticked->keyPath && e.itemName == unticked->itemName;
            EXPECT_EQ(Exists(e), kept) << item.keyPath << "\\" << item.itemName;
        }
        for (const Entry& e : liveEntries)
            EXPECT_TRUE(Exists(e)) << "live " << e.keyPath << "\\" << e.itemName;
    }

    void Quit() {
        Press(Cancel());
        ExpectBox("quit_question", "你希望退出吗？", "询问", true, "question", IDYES);
        EXPECT_TRUE(program.WaitForExit(20000)) << "the program did not end";
    }

    // The job list here: for the expected items and the names of the group rows.
    JobEnumerator jobs;
    RegistryGuard guard{GuardFile()};
    bool guarded = false;
    RemoteProgram program;
    HWND frame = nullptr;
    ProblemList natural, expected;
    std::vector<Entry> planted, staleEntries, liveEntries;
    bool waitShot = false;
};

} // namespace

// The whole road: scan, untick one, fix with a backup; then restore that backup.
TEST_F(TidewellTest, ScanFixWithABackupThenRestoreEverything) {
    PlantEntries(true);
    ASSERT_FALSE(HasFatalFailure());
    const std::string before = DumpAreas();
    StartProgram();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitForTitle("欢迎使用 Velk Tidewell"));
    EXPECT_EQ(Buttons(), "[< 后退 disabled][继续 >][取消]");
    Shot("01_welcome");

    Scan();
    ASSERT_FALSE(HasFatalFailure());
    Shot("02_scan_results");
    ExpectGroups(expected, Tick::On, "scan results");

    // Untick the first startup item.
    const auto first = std::find_if(expected.begin(), expected.end(),
                                    [](const ProblemItem& item) { return item.jobId == 7; });
    ASSERT_NE(first, expected.end());
    const Entry unticked = {first->rootKey, first->keyPath, first->itemName, first->kind, true};
    ChooseGroup(7);
    ClickTick(0);
    const std::vector<Tick> ticks = Ticks();
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0], Tick::Off);
    EXPECT_EQ(ticks[1], Tick::On);
    Shot("03_one_unticked");

    Press(Next());
    ExpectBox("04_backup_question", "你希望创建一个备份吗？", "询问", true, "question", IDYES);
    ExpectBox("05_fixed", "所有操作已成功完成。", "完成", false, "information", IDOK,
              [&] { ExpectRegistryAfterFix(&unticked); });
    ASSERT_TRUE(WaitForPage(Page::Welcome));
    EXPECT_TRUE(WaitForTitle("欢迎使用 Velk Tidewell"));
    const std::string backup = kBackups + "自动备份001.backup2";
    ASSERT_NE(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the backup next to the program";
    const std::string fixed = DumpAreas();

    OpenBackupList();
    ASSERT_FALSE(HasFatalFailure());
    Shot("06_backup_list");
    {
        RemoteListView list(program.Process(), BackupList());
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.ColumnHeader(0), "名称");
        EXPECT_EQ(list.ColumnHeader(1), "日期");
        EXPECT_EQ(list.ColumnHeader(2), "大小");
        EXPECT_EQ(list.Text(0, 0), "自动备份001");
        FileHandle file(CreateFileA(backup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        FILETIME created = {};
        GetFileTime(file.Get(), &created, nullptr, nullptr);
        EXPECT_EQ(list.Text(0, 1), ShortDate(created));
        EXPECT_EQ(list.Text(0, 2), std::to_string(GetFileSize(file.Get(), nullptr)) + " 字节");
        EXPECT_EQ(list.SelectedCount(), 0);
    }
    // Continue without a row does nothing.
    Press(Next());
    ExpectNoBox(800);
    EXPECT_EQ(Shown(), Page::BackupList);
    EXPECT_EQ(Title(), "选择备份文件");

    OpenRecords();
    ASSERT_FALSE(HasFatalFailure());
    Shot("07_restore_records");
    ExpectGroups(expected, Tick::On, "restore records"); // the unticked one is in the backup

    // Back from the records: the list again, read afresh, nothing selected.
    Press(Back());
    ASSERT_TRUE(WaitForPage(Page::BackupList));
    EXPECT_TRUE(WaitForTitle("选择备份文件"));
    {
        RemoteListView list(program.Process(), BackupList());
        EXPECT_EQ(list.Count(), 1);
        EXPECT_EQ(list.SelectedCount(), 0);
    }
    OpenRecords();
    ASSERT_FALSE(HasFatalFailure());

    // No keeps the records as they were.
    Press(Next());
    ExpectBox("08_restore_question", "你真的希望恢复吗？", "询问", true, "warning", IDNO);
    ExpectNoBox(800);
    EXPECT_EQ(Shown(), Page::Results);
    EXPECT_EQ(Title(), "选择恢复记录");
    Shot("08_after_no");
    for (Tick t : Ticks())
        EXPECT_EQ(t, Tick::On);
    EXPECT_EQ(DumpAreas(), fixed) << "No wrote something";

    Press(Next());
    ExpectBox("08_restore_question", "你真的希望恢复吗？", "询问", true, "warning", IDYES);
    ExpectBox("09_restored", "所有操作已成功完成。", "完成", false, "information", IDOK,
              [&] { EXPECT_EQ(DumpAreas(), before) << "the registry as it was before the fix"; });
    ASSERT_TRUE(WaitForPage(Page::Welcome));
    EXPECT_TRUE(WaitForTitle("欢迎使用 Velk Tidewell"));
    EXPECT_EQ(Buttons(), "[< 后退 disabled][继续 >][取消]");
    Quit();
}

TEST_F(TidewellTest, AFailedBackupDeletesNothingAndNoFixesWithoutOne) {
    PlantEntries(true);
    ASSERT_FALSE(HasFatalFailure());
    const std::string before = DumpAreas();
    // A file where the backup folder goes.
    ASSERT_TRUE(WriteFileBytes(kProgramFolder + "backups", "x", 1));
    StartProgram();
    ASSERT_FALSE(HasFatalFailure());
    Scan();
    ASSERT_FALSE(HasFatalFailure());

    auto failedBackup = [&](const std::string& shot) {
        Press(Next());
        ExpectBox("10_backup_question", "你希望创建一个备份吗？", "询问", true, "question", IDYES);
        ExpectBox(shot, "创建备份文件失败，你的系统未修改。", "失败", false, "error", IDOK,
                  [&] { EXPECT_EQ(DumpAreas(), before) << "deleted after a failed backup"; });
        ExpectNoBox(800);
        EXPECT_EQ(Shown(), Page::Results);
        EXPECT_EQ(Title(), "扫描结果");
        EXPECT_EQ(Buttons(), "[< 后退][修复][取消]");
        const std::vector<Tick> ticks = Ticks();
        EXPECT_EQ(ticks.size(), std::min<size_t>(expected.size(), 7));
        for (Tick t : ticks)
            EXPECT_EQ(t, Tick::On);
    };
    failedBackup("11_backup_folder_is_a_file");

    // Every automatic name taken.
    ASSERT_TRUE(DeleteFileA((kProgramFolder + "backups").c_str()));
    ASSERT_TRUE(CreateDirectoryA(kBackups.c_str(), nullptr));
    for (int n = 1; n <= 998; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "自动备份%03d.backup2", n);
        ASSERT_TRUE(WriteFileBytes(kBackups + name, "", 0));
    }
    failedBackup("12_no_backup_name_left");

    // No to the backup: the entries go all the same, and no file is written. One of
    // them is gone already, which the warning owns up to.
    const auto font = std::find_if(staleEntries.begin(), staleEntries.end(),
                                   [](const Entry& e) { return e.keyPath == kFonts; });
    ASSERT_NE(font, staleEntries.end());
    {
        RegKey key;
        ASSERT_TRUE(key.Open(font->root, font->keyPath.c_str(), KEY_SET_VALUE));
        ASSERT_EQ(RegDeleteValueA(key.Get(), font->itemName.c_str()), ERROR_SUCCESS);
    }
    Press(Next());
    ExpectBox("13_backup_question_no", "你希望创建一个备份吗？", "询问", true, "question", IDNO);
    ExpectBox("14_fixed_with_a_warning",
              "当移除不需要的记录时可能存在一些问题。如果你创建了一个备份，可以恢复它。", "警告",
              false, "warning", IDOK, [&] { ExpectRegistryAfterFix(nullptr); });
    ASSERT_TRUE(WaitForPage(Page::Welcome));
    int files = 0;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((kBackups + "*").c_str(), &found));
    do
        files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (find && FindNextFileA(find.Get(), &found));
    EXPECT_EQ(files, 998);
    Quit();
}

TEST_F(TidewellTest, FixOnEmptyResultsAndManagingTheBackups) {
    // What the prefix holds stale goes too (the guard brings it back): nothing is found.
    for (const ProblemItem& item : natural) {
        RegKey key;
        ASSERT_TRUE(key.Open(item.rootKey, item.keyPath.c_str(), KEY_ALL_ACCESS));
        // RegDeleteTreeA with a name takes the key itself too.
        if (item.kind == kKindKey)
            EXPECT_EQ(RegDeleteTreeA(key.Get(), item.itemName.c_str()), ERROR_SUCCESS);
        else
            EXPECT_EQ(RegDeleteValueA(key.Get(), item.itemName.c_str()), ERROR_SUCCESS);
    }
    PlantEntries(false);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(expected.empty()) << expected.size() << " stale entries left";
    ASSERT_TRUE(CreateDirectoryA(kBackups.c_str(), nullptr));
    const std::string before = DumpAreas();
    StartProgram();
    ASSERT_FALSE(HasFatalFailure());
    Scan();
    ASSERT_FALSE(HasFatalFailure());
    Shot("15_empty_results");
    EXPECT_EQ(GroupCount(0, true), 0);
    EXPECT_TRUE(Ticks().empty());

    Press(Next());
    ExpectBox("16_nothing_to_fix", "这里未修复，你的系统未修改。", "信息", false, "information",
              IDOK);
    ExpectNoBox(800); // and no backup question
    EXPECT_EQ(Shown(), Page::Results);
    EXPECT_EQ(Title(), "扫描结果");
    EXPECT_EQ(DumpAreas(), before);
    Press(Back());
    ASSERT_TRUE(WaitForPage(Page::Welcome));

    // Managing: the backup folder in the shell; the wizard stays as it was.
    std::set<HWND> existing;
    EnumWindows(
        [](HWND w, LPARAM p) {
            reinterpret_cast<std::set<HWND>*>(p)->insert(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&existing));
    ChooseOnWelcome("管理注册表备份");
    Press(Next());
    HWND browser = nullptr;
    WaitUntil(
        [&] {
            struct Look {
                std::set<HWND>* existing;
                HWND found;
            } look = {&existing, nullptr};
            EnumWindows(
                [](HWND w, LPARAM p) {
                    auto* l = reinterpret_cast<Look*>(p);
                    if (IsWindowVisible(w) && !l->existing->count(w) && !GetWindow(w, GW_OWNER))
                        l->found = w;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&look));
            browser = look.found;
            return browser != nullptr;
        },
        20000);
    ASSERT_TRUE(browser) << "no folder window";
    DWORD browserProcess = 0;
    GetWindowThreadProcessId(browser, &browserProcess);
    EXPECT_NE(browserProcess, program.ProcessId()) << "the shell shows it, not the program";
    EXPECT_NE(WindowText(browser).find("backups"), std::string::npos) << WindowText(browser);
    Sleep(1500);
    Shot("17_backup_folder", browser);
    EXPECT_EQ(Shown(), Page::Welcome);
    EXPECT_EQ(Title(), "欢迎使用 Velk Tidewell");
    EXPECT_EQ(Buttons(), "[< 后退 disabled][继续 >][取消]");
    ExpectNoBox(300);
    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(browser); }, 10000));
    Quit();
}

// Another program holds the backup, or puts another file in its place, between the
// choice of the backup and the restore: nothing is written.
TEST_F(TidewellTest, ARestoreRefusesABackupThatIsHeldOrReplaced) {
    PlantEntries(true);
    ASSERT_FALSE(HasFatalFailure());
    StartProgram();
    ASSERT_FALSE(HasFatalFailure());
    Scan();
    ASSERT_FALSE(HasFatalFailure());
    Press(Next());
    ExpectBox("18_backup_question", "你希望创建一个备份吗？", "询问", true, "question", IDYES);
    ExpectBox("18_fixed", "所有操作已成功完成。", "完成", false, "information", IDOK);
    ASSERT_TRUE(WaitForPage(Page::Welcome));
    const std::string fixed = DumpAreas();
    const std::string backup = kBackups + "自动备份001.backup2";

    OpenBackupList();
    OpenRecords();
    ASSERT_FALSE(HasFatalFailure());
    {
        FileHandle held(
            CreateFileA(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        Press(Next());
        ExpectBox("19_restore_question", "你真的希望恢复吗？", "询问", true, "warning", IDYES);
        ExpectBox("20_restore_file_held", "当恢复备份文件时将存在一些问题。", "错误", false,
                  "error", IDOK, [&] { EXPECT_EQ(DumpAreas(), fixed); });
    }
    ASSERT_TRUE(WaitForPage(Page::Welcome));

    OpenBackupList();
    OpenRecords();
    ASSERT_FALSE(HasFatalFailure());
    // In its place a backup of the same entries made when one of them held other data:
    // every record lies where it did, but it is not what the page shows.
    {
        std::vector<uint8_t> bytes = ReadFileBytes(backup);
        const std::string wasText = "missing\\文件夹", nowText = "MISSED!\\文件夹";
        const std::vector<uint8_t> was(wasText.begin(), wasText.end()),
            now(nowText.begin(), nowText.end());
        int replaced = 0;
        for (auto at = bytes.begin();
             (at = std::search(at, bytes.end(), was.begin(), was.end())) != bytes.end(); ++replaced)
            at = std::copy(now.begin(), now.end(), at);
        ASSERT_EQ(replaced, 2) << "the record's text and its saved data";
        ASSERT_TRUE(WriteFileBytes(backup, bytes));
    }
    Press(Next());
    ExpectBox("19_restore_question", "你真的希望恢复吗？", "询问", true, "warning", IDYES);
    ExpectBox("21_restore_file_replaced", "当恢复备份文件时将存在一些问题。", "错误", false,
              "error", IDOK, [&] { EXPECT_EQ(DumpAreas(), fixed); });
    ASSERT_TRUE(WaitForPage(Page::Welcome));
    Quit();
}
