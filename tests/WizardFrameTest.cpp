#include "wizard/WizardFrame.h"

#include "resources/ResourceIds.h"
#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/RegistrySandbox.h"
#include "support/Screenshot.h"
#include "support/StaleEntries.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"
#include "wizard/Instance.h"

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// What reaches the frame's window procedure as WM_COMMAND, seen by a hook on this thread.
struct Command {
    int32_t id;
    bool fromOtherThread; // the scan worker's SendMessageA
};
std::vector<Command> g_commands;
HWND g_frameWindow = nullptr;

LRESULT CALLBACK RecordCommands(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_COMMAND && message->hwnd == g_frameWindow)
        g_commands.push_back({static_cast<int32_t>(LOWORD(message->wParam)), InSendMessage() != 0});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every message box, as the user sees it, answered with g_answer.
struct Box {
    std::string caption;
    std::string text;
    bool yes, no, ok, cancel;
    HICON icon;
};
std::vector<Box> g_boxes;
int g_answer = IDNO;
HWND g_lastBox = nullptr;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(box, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && box != g_lastBox) {
            g_lastBox = box;
            char caption[256] = {}, text[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            g_boxes.push_back(
                {caption, text, GetDlgItem(box, IDYES) != nullptr, GetDlgItem(box, IDNO) != nullptr,
                 GetDlgItem(box, IDOK) != nullptr, GetDlgItem(box, IDCANCEL) != nullptr,
                 reinterpret_cast<HICON>(SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0))});
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(g_answer), 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

enum class Page { None, Welcome, Progress, Results, Several };

struct ButtonState {
    std::string caption;
    bool enabled;
    bool operator==(const ButtonState& o) const {
        return caption == o.caption && enabled == o.enabled;
    }
};

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Shows(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::map<int32_t, int> CountByJob(const ProblemList& items) {
    std::map<int32_t, int> counts;
    for (const ProblemItem& item : items)
        ++counts[item.jobId];
    return counts;
}

// A click that leaves every message to the loop that runs (Run's own).
void ClickLeavingMessages(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

// Steps run one after another from a timer inside a message loop, each until it answers
// true; the watchdog ends a loop that would otherwise never end.
struct Script {
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    bool busy = false;
    bool timedOut = false;
    DWORD start = 0;
    DWORD timeout = 60000;
};
Script* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR timer, DWORD) {
    Script& script = *g_script;
    if (script.busy) return; // a step pumping messages itself
    if (GetTickCount() - script.start > script.timeout) {
        script.timedOut = true;
        KillTimer(nullptr, timer);
        PostQuitMessage(0);
        return;
    }
    script.busy = true;
    while (script.next < script.steps.size() && script.steps[script.next]())
        ++script.next;
    script.busy = false;
    if (script.next == script.steps.size()) KillTimer(nullptr, timer);
}

class WizardFrameTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(sandbox.Active());
        InitCommonControls();
        g_commands.clear();
        g_boxes.clear();
        g_lastBox = nullptr;
        g_answer = IDNO;
        frame = std::make_unique<WizardFrame>();
        frame->Create();
        g_frameWindow = frame->m_hWndWizard;
        commandHook =
            SetWindowsHookExA(WH_CALLWNDPROC, RecordCommands, nullptr, GetCurrentThreadId());
        boxHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(commandHook && boxHook);
    }
    void TearDown() override {
        frame.reset();
        PumpMessages(); // and the WM_QUIT the destroyed window posted
        if (commandHook) UnhookWindowsHookEx(commandHook);
        if (boxHook) UnhookWindowsHookEx(boxHook);
        GuiTest::TearDown();
    }

    // What Run does before its loop; these tests pump the messages themselves.
    void Enter() {
        frame->ShowWelcomePage();
        ShowWindow(frame->m_hWndWizard, SW_SHOW);
        UpdateWindow(frame->m_hWndWizard);
        PumpMessages();
    }
    int RunScript(Script& script) {
        script.start = GetTickCount();
        g_script = &script;
        SetTimer(nullptr, 0, 20, ScriptTick);
        const int result = frame->Run();
        g_script = nullptr;
        return result;
    }

    Page Shown() const {
        const bool welcome = Shows(frame->m_WelcomePage.m_hWndPage);
        const bool progress = Shows(frame->m_ProgressPage.m_hWndPage);
        const bool results = Shows(frame->m_ResultPage.m_hWndPage);
        const int count = welcome + progress + results;
        if (count > 1) return Page::Several;
        return welcome    ? Page::Welcome
               : progress ? Page::Progress
               : results  ? Page::Results
                          : Page::None;
    }
    static ButtonState StateOf(const Button& button) {
        return {TextOf(button.Handle()), IsWindowEnabled(button.Handle()) != FALSE};
    }
    void ExpectState(Page page, const char* title, ButtonState back, ButtonState next,
                     ButtonState cancel) {
        EXPECT_EQ(Shown(), page) << title;
        EXPECT_EQ(frame->m_strTitle, title);
        EXPECT_EQ(StateOf(frame->m_BackButton), back) << title << ": Back";
        EXPECT_EQ(StateOf(frame->m_NextButton), next) << title << ": Continue";
        EXPECT_EQ(StateOf(frame->m_CancelButton), cancel) << title << ": Cancel";
    }
    void ExpectWelcome() {
        ExpectState(Page::Welcome, "欢迎使用 Velk Tidewell", {"< 后退", false}, {"继续 >", true},
                    {"取消", true});
    }
    void ExpectResults() {
        ExpectState(Page::Results, "扫描结果", {"< 后退", true}, {"修复", true}, {"取消", true});
    }

    // The result page lists exactly these counts by job, every item the frame's own.
    void ExpectGroups(const std::map<int32_t, int>& counts) {
        const GroupView& view = frame->m_ResultPage.m_GroupView;
        const std::vector<ItemGroup>& groups = view.Groups();
        ASSERT_EQ(groups.size(), 9u);
        int total = 0;
        for (const auto& count : counts)
            total += count.second;
        EXPECT_EQ(view.RowText(0), "所有项目 (" + std::to_string(total) + ")");
        EXPECT_EQ(groups[0].itemCount, total);
        const ProblemItem* first = frame->m_Items.data();
        const ProblemItem* end = first + frame->m_Items.size();
        for (int32_t job = 1; job < 9; ++job) {
            const auto found = counts.find(job);
            EXPECT_EQ(groups[job].itemCount, found == counts.end() ? 0 : found->second) << job;
            for (const ProblemItem* item : groups[job].groupItems) {
                EXPECT_EQ(item->jobId, job);
                EXPECT_TRUE(item >= first && item < end) << "not an item of the frame's list";
            }
        }
        EXPECT_EQ(frame->m_ResultPage.m_ResultView.Entries().size(), static_cast<size_t>(total))
            << "the whole list is shown first";
    }

    POINT OnButton(const Button& button) const { return ScreenPoint(button.Handle(), 56, 18); }
    POINT OnFrame(int x, int y) const { return ScreenPoint(frame->m_hWndWizard, x, y); }
    // Clicks the button as a user does; answers the commands the click sent.
    std::vector<int32_t> Click(const Button& button) {
        g_commands.clear();
        ClickAt(OnButton(button));
        std::vector<int32_t> sent;
        for (const Command& c : g_commands)
            if (!c.fromOtherThread) sent.push_back(c.id);
        return sent;
    }
    bool WorkerSent(int32_t id) const {
        for (const Command& c : g_commands)
            if (c.fromOtherThread && c.id == id) return true;
        return false;
    }
    // Continue on the welcome page, then until the scan has ended on a page.
    void ScanToTheEnd(Page expected) {
        ASSERT_EQ(Click(frame->m_NextButton), std::vector<int32_t>{ID_WELCOME_CONTINUE});
        ASSERT_TRUE(PumpUntil([&] { return Shown() == expected; }, 60000));
        PumpMessages();
    }

    RegistrySandbox sandbox;
    TestFolder files;
    std::unique_ptr<WizardFrame> frame;
    HHOOK commandHook = nullptr;
    HHOOK boxHook = nullptr;
};

TEST_F(WizardFrameTest, CreateMakesTheHiddenCentredWindowWithItsButtonsAndPages) {
    const HWND window = frame->m_hWndWizard;
    ASSERT_TRUE(window);
    EXPECT_EQ(WizardFrame::m_Singleton, frame.get());
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "wizard_frame_class");
    EXPECT_EQ(TextOf(window), "Velk Tidewell 2006");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x06CA0000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) & ~DWORD(WS_EX_WINDOWEDGE),
              0u);
    EXPECT_FALSE(Shows(window)) << "hidden until Run";
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)),
              LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON)));
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0u) << "nothing is erased";

    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 690);
    EXPECT_EQ(client.bottom, 496);
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    const POINT origin = ScreenPoint(window, 0, 0);
    EXPECT_EQ(origin.x, (desktop.right - 690) / 2);
    EXPECT_EQ(origin.y, (desktop.bottom - 496) / 2);

    struct Child {
        HWND window;
        RECT rect;
        bool visible;
    } children[] = {{frame->m_BackButton.Handle(), {293, 459, 405, 496}, true},
                    {frame->m_NextButton.Handle(), {413, 459, 525, 496}, true},
                    {frame->m_CancelButton.Handle(), {571, 459, 683, 496}, true},
                    {frame->m_WelcomePage.m_hWndPage, {0, 59, 690, 455}, false},
                    {frame->m_ProgressPage.m_hWndPage, {0, 59, 690, 455}, false},
                    {frame->m_ResultPage.m_hWndPage, {0, 59, 690, 455}, false},
                    {frame->m_BackupFilePage.m_hWndPage, {0, 59, 690, 455}, false}};
    for (const Child& c : children) {
        ASSERT_TRUE(c.window);
        EXPECT_EQ(GetParent(c.window), window);
        RECT r;
        GetWindowRect(c.window, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &c.rect))
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(Shows(c.window), c.visible);
    }
    EXPECT_EQ(frame->m_strBack, "< 后退");
    EXPECT_EQ(frame->m_strNext, "继续 >");
    EXPECT_EQ(frame->m_strCancel, "取消");
    EXPECT_EQ(frame->m_strFix, "修复");
    EXPECT_EQ(frame->m_strTitle, "");
}

TEST_F(WizardFrameTest, TheWelcomeStateAsksBeforeQuitting) {
    Enter();
    ExpectWelcome();
    EXPECT_TRUE(Click(frame->m_BackButton).empty()) << "Back is disabled";

    // No: everything stays as it was.
    g_answer = IDNO;
    EXPECT_EQ(Click(frame->m_CancelButton), std::vector<int32_t>{ID_EXIT});
    ASSERT_EQ(g_boxes.size(), 1u);
    const Box& box = g_boxes[0];
    EXPECT_EQ(box.caption, "询问");
    EXPECT_EQ(box.text, "你希望退出吗？");
    EXPECT_TRUE(box.yes && box.no);
    EXPECT_FALSE(box.ok || box.cancel);
    EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_QUESTION));
    ASSERT_TRUE(IsWindow(frame->m_hWndWizard));
    ExpectWelcome();

    // Yes: the window goes (Run's loop then ends: see the test of Run).
    g_answer = IDYES;
    const HWND window = frame->m_hWndWizard;
    EXPECT_EQ(Click(frame->m_CancelButton), std::vector<int32_t>{ID_EXIT});
    EXPECT_EQ(g_boxes.size(), 2u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame->m_hWndWizard, nullptr);
}

TEST_F(WizardFrameTest, AFullScanLandsOnTheResultsWithThePlantedItems) {
    const std::map<int32_t, int> planted = PlantStaleEntries(files);
    ASSERT_FALSE(planted.empty());
    Enter();
    ScanToTheEnd(Page::Results);
    EXPECT_TRUE(WorkerSent(ID_SCAN_FINISHED));
    ExpectResults();
    EXPECT_EQ(CountByJob(frame->m_Items), planted);
    EXPECT_EQ(frame->m_Items.size(), frame->m_ProgressPage.m_FoundItems.size());
    ExpectGroups(planted);
    SaveScreenshot(CaptureClient(frame->m_hWndWizard), "result_page");

    // A click on the startup programs' row shows that job's items only.
    const GroupView& groups = frame->m_ResultPage.m_GroupView;
    const RECT row = groups.Groups()[7].bounds;
    ClickAt(ScreenPoint(groups.Handle(), (row.left + row.right) / 2, (row.top + row.bottom) / 2));
    EXPECT_EQ(groups.SelectedGroup(), 7);
    const std::vector<ViewEntry>& shown = frame->m_ResultPage.m_ResultView.Entries();
    ASSERT_EQ(shown.size(), 2u);
    for (const ViewEntry& entry : shown)
        EXPECT_EQ(entry.item->jobId, 7);

    g_answer = IDNO;
    EXPECT_EQ(Click(frame->m_CancelButton), std::vector<int32_t>{ID_EXIT});
    EXPECT_EQ(g_boxes.size(), 1u);
    ExpectResults();

    // Back keeps the results.
    EXPECT_EQ(Click(frame->m_BackButton), std::vector<int32_t>{ID_RESULTS_BACK});
    ExpectWelcome();
    EXPECT_EQ(CountByJob(frame->m_Items), planted);
}

TEST_F(WizardFrameTest, TheScanningStateAndAStopThatReturnsToTheWelcomePage) {
    ASSERT_TRUE(PlantManyStaleClasses(files, 20000));
    Enter();
    ASSERT_EQ(Click(frame->m_NextButton), std::vector<int32_t>{ID_WELCOME_CONTINUE});
    ExpectState(Page::Progress, "处理", {"< 后退", false}, {"继续 >", false}, {"取消", true});
    EXPECT_TRUE(Click(frame->m_BackButton).empty());
    EXPECT_TRUE(Click(frame->m_NextButton).empty());
    // A refresh has shown the job that runs: the picture for people.
    ASSERT_TRUE(PumpUntil([&] { return !TextOf(frame->m_ProgressPage.m_hWndStatus).empty(); }));
    ASSERT_EQ(Shown(), Page::Progress) << "the scan ended before it could be stopped";
    SaveScreenshot(CaptureClient(frame->m_hWndWizard), "progress_page");

    EXPECT_EQ(Click(frame->m_CancelButton), std::vector<int32_t>{ID_SCAN_STOP});
    EXPECT_TRUE(g_boxes.empty()) << "a stop asks nothing";
    ASSERT_TRUE(PumpUntil([&] { return Shown() == Page::Welcome; }, 30000));
    EXPECT_TRUE(WorkerSent(ID_SCAN_STOPPED));
    EXPECT_FALSE(WorkerSent(ID_SCAN_FINISHED));
    ExpectWelcome();
    EXPECT_TRUE(frame->m_Items.empty()) << "a stopped scan shows and keeps nothing";
    EXPECT_LT(frame->m_ProgressPage.m_nJobsDone, 9);
}

TEST_F(WizardFrameTest, ASecondScanReplacesTheResultsAndAStoppedOneKeepsThem) {
    const std::map<int32_t, int> planted = PlantStaleEntries(files);
    Enter();
    ScanToTheEnd(Page::Results);
    ASSERT_EQ(CountByJob(frame->m_Items), planted);
    ASSERT_EQ(Click(frame->m_BackButton), std::vector<int32_t>{ID_RESULTS_BACK});

    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "GoneThree", files.Path("gone3.exe")));
    ScanToTheEnd(Page::Results);
    std::map<int32_t, int> more = planted;
    ++more[7];
    EXPECT_EQ(CountByJob(frame->m_Items), more) << "replaced, not added to";
    ExpectGroups(more);
    ASSERT_EQ(Click(frame->m_BackButton), std::vector<int32_t>{ID_RESULTS_BACK});

    const ProblemList before = frame->m_Items;
    ASSERT_TRUE(PlantManyStaleClasses(files, 20000));
    ASSERT_EQ(Click(frame->m_NextButton), std::vector<int32_t>{ID_WELCOME_CONTINUE});
    ASSERT_EQ(Click(frame->m_CancelButton), std::vector<int32_t>{ID_SCAN_STOP});
    ASSERT_TRUE(PumpUntil([&] { return Shown() == Page::Welcome; }, 30000));
    ASSERT_TRUE(WorkerSent(ID_SCAN_STOPPED));
    EXPECT_EQ(frame->m_Items.size(), before.size()) << "the earlier results stay";
    EXPECT_EQ(CountByJob(frame->m_Items), more);
    ExpectWelcome();
}

TEST_F(WizardFrameTest, TheHeaderShowsTheTitleOnItsArtworkAndRepaintsOnlyItself) {
    Enter();
    const Image header = LoadBitmapImage(IDB_HEADER);
    const Image footer = LoadBitmapImage(IDB_FOOTER);
    ASSERT_EQ(header.width, 690);
    ASSERT_EQ(footer.height, 41);
    const Image welcome = CaptureClient(frame->m_hWndWizard);
    int titlePixels = 0, artworkDiffers = 0;
    for (int y = 0; y < 59; ++y)
        for (int x = 0; x < 690; ++x) {
            const bool inTitle = x >= 30 && x < 630;
            if (welcome.At(x, y) == header.At(x, y)) continue;
            if (inTitle)
                titlePixels += welcome.At(x, y) == Rgb(255, 255, 255);
            else
                ++artworkDiffers;
        }
    EXPECT_GT(titlePixels, 200) << "the title in white";
    EXPECT_EQ(artworkDiffers, 0);
    for (int y = 455; y < 496; ++y)
        for (int x = 0; x < 293; ++x)
            ASSERT_EQ(welcome.At(x, y), footer.At(x, y - 455)) << x << "," << y;

    // Another title: the header changes in the title only; page and buttons stay.
    frame->SetTitle("处理");
    const Image retitled = CaptureClient(frame->m_hWndWizard);
    int titleChanged = 0, elsewhereChanged = 0;
    for (int y = 0; y < 496; ++y)
        for (int x = 0; x < 690; ++x) {
            const bool changed = retitled.At(x, y) != welcome.At(x, y);
            const bool inTitle = y < 59 && x >= 30 && x < 630;
            (inTitle ? titleChanged : elsewhereChanged) += changed;
        }
    EXPECT_GT(titleChanged, 100);
    EXPECT_EQ(elsewhereChanged, 0);
}

TEST_F(WizardFrameTest, TheHandCursorShowsOnlyOverTheHelpLinkAndAClickThereOpensHelp) {
    Enter();
    const HCURSOR hand = LoadCursorA(g_hInstance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_TRUE(hand);
    struct Spot {
        int x, y;
        bool onLink;
    } spots[] = {{524, 31, true},   {558, 40, true},  {591, 48, true},  {523, 40, false},
                 {592, 40, false},  {558, 30, false}, {558, 49, false}, {100, 20, false},
                 {300, 470, false}, {200, 200, false}};
    for (const Spot& s : spots) {
        MoveMouseTo(OnFrame(s.x, s.y));
        EXPECT_EQ(GetCursor(), s.onLink ? hand : arrow) << s.x << "," << s.y;
    }

    // The document opens in what the (sandboxed) registry associates with it.
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string help(module);
    help.erase(help.find_last_of('\\') + 1);
    help += "help.html";
    const bool madeHelp = GetFileAttributesA(help.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (madeHelp)
        CloseHandle(CreateFileA(help.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::string opened = files.Path("opened.txt");
    ASSERT_TRUE(PutString(kRootClassesRoot, ".html", "", "tidewell.testhtml"));
    ASSERT_TRUE(PutString(kRootClassesRoot, "tidewell.testhtml\\shell\\open\\command", "",
                          "cmd.exe /c echo %1>" + opened));

    ClickAt(OnFrame(500, 40)); // the header, not the link
    ClickAt(OnFrame(558, 70)); // the page below it
    PumpMessages(1500);
    EXPECT_EQ(GetFileAttributesA(opened.c_str()), INVALID_FILE_ATTRIBUTES) << "opened elsewhere";

    ClickAt(OnFrame(558, 40));
    auto written = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        return GetFileAttributesExA(opened.c_str(), GetFileExInfoStandard, &data) &&
               data.nFileSizeLow > 0;
    };
    const bool wrote = PumpUntil(written, 15000);
    PumpMessages(500);
    if (madeHelp) DeleteFileA(help.c_str());
    ASSERT_TRUE(wrote) << "the help document was not opened";
    FileHandle file(CreateFileA(opened.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    char text[1024] = {};
    DWORD read = 0;
    ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr);
    std::string shown(text, read);
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n' || shown.back() == ' '))
        shown.pop_back();
    if (shown.size() > 1 && shown.front() == '"') shown = shown.substr(1, shown.size() - 2);
    EXPECT_STRCASEEQ(shown.c_str(), help.c_str());
}

TEST_F(WizardFrameTest, RunShowsTheWelcomePageAndEndsWhenTheExitIsConfirmed) {
    g_answer = IDYES;
    Script script;
    bool welcomeShown = false;
    script.steps = {[&] {
                        welcomeShown = Shows(frame->m_hWndWizard) && Shown() == Page::Welcome;
                        MoveMouseTo(OnButton(frame->m_CancelButton));
                        return true;
                    },
                    [&] {
                        ClickLeavingMessages(OnButton(frame->m_CancelButton));
                        return true;
                    }};
    EXPECT_EQ(RunScript(script), 0);
    EXPECT_FALSE(script.timedOut);
    EXPECT_TRUE(welcomeShown);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "你希望退出吗？");
    EXPECT_EQ(frame->m_hWndWizard, nullptr);
}

DWORD WINAPI ResumeAfterASecond(LPVOID thread) {
    Sleep(1000);
    ResumeThread(static_cast<HANDLE>(thread));
    return 0;
}

TEST_F(WizardFrameTest, ClosingTheWindowWhileAScanRunsEndsTheWorkerBeforeTheFrameGoes) {
    ASSERT_TRUE(PlantManyStaleStartupValues(files, 20000));
    Script script;
    HANDLE worker = nullptr;
    script.steps = {[&] {
                        ClickAt(OnButton(frame->m_NextButton));
                        return true;
                    },
                    [&] {
                        if (frame->m_ProgressPage.m_JobRows.size() != 9 ||
                            frame->m_ProgressPage.m_JobRows[7].state != 1)
                            return false;
                        DuplicateHandle(GetCurrentProcess(), frame->m_ProgressPage.WorkerThread(),
                                        GetCurrentProcess(), &worker, 0, FALSE,
                                        DUPLICATE_SAME_ACCESS);
                        // Held inside the startup check, however fast the machine, until
                        // after the message loop has ended.
                        SuspendThread(worker);
                        // The close box: no question, the window goes at once.
                        PostMessageA(frame->m_hWndWizard, WM_SYSCOMMAND, SC_CLOSE, 0);
                        return true;
                    }};
    EXPECT_EQ(RunScript(script), 0);
    ASSERT_FALSE(script.timedOut);
    ASSERT_TRUE(worker);
    KernelHandle workerHandle(worker);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(frame->m_hWndWizard, nullptr);
    ASSERT_EQ(WaitForSingleObject(worker, 0), WAIT_TIMEOUT);
    ASSERT_EQ(frame->m_ProgressPage.m_nJobsDone, 7) << "the worker is inside the startup check";

    // The frame goes while the worker is still inside a job; it goes on a second later.
    KernelHandle resumer(CreateThread(nullptr, 0, ResumeAfterASecond, worker, 0, nullptr));
    ASSERT_TRUE(resumer);
    frame.reset();
    EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0) << "the frame went before the worker";
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(worker, &code);
    EXPECT_EQ(code, 1u) << "the scan stopped after the job it was in";
    EXPECT_EQ(JobEnumerator::mSingleton, nullptr);
    EXPECT_EQ(WizardFrame::m_Singleton, nullptr);
    WaitForSingleObject(resumer.Get(), 5000);
}

TEST_F(WizardFrameTest, PaintingManyTimesKeepsTheGdiObjectCount) {
    Enter();
    auto paint = [&](const char* title) {
        frame->SetTitle(title);
        UpdateWindow(frame->m_hWndWizard);
    };
    paint("处理");
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 40; ++i)
        paint(i % 2 ? "扫描结果" : "欢迎使用 Velk Tidewell");
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(WizardFrameSingleton, IsSetWhileAFrameLivesAndASecondFrameStopsTheProgram) {
    {
        WizardFrame first;
        EXPECT_EQ(WizardFrame::m_Singleton, &first);
        EXPECT_EQ(first.m_hWndWizard, nullptr);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_DEATH({ WizardFrame second; }, "m_Singleton == 0");
    }
    EXPECT_EQ(WizardFrame::m_Singleton, nullptr);
    WizardFrame again; // and a new one may follow
    EXPECT_EQ(WizardFrame::m_Singleton, &again);
}

} // namespace
