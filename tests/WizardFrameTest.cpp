#include "wizard/WizardFrame.h"

#include "support/BackupFolderTest.h"
#include "support/GuiTest.h"
#include "support/UserInput.h"

#include <memory>
#include <tuple>

namespace {

// The GDI objects this process holds, -1 when unknown: Wine's GetGuiResources is a stub,
// so this counts the used entries of the GDI handle table. Compare after a warm-up round.
int CountGdiObjects() {
    uintptr_t teb = 0; // the TEB's own address
#ifdef _WIN64
    asm("movq %%gs:0x30, %0" : "=r"(teb));
#else
    asm("movl %%fs:0x18, %0" : "=r"(teb));
    // The 32-bit PEB has no table under WoW64: the 64-bit TEB, this far away, leads to it.
    teb += static_cast<uintptr_t>(*reinterpret_cast<const LONG*>(teb + 0xFDC));
#endif
    // 64-bit pointers, all below 4 GB under WoW64.
    auto follow = [](uintptr_t at) {
        return static_cast<uintptr_t>(*reinterpret_cast<uint64_t*>(at));
    };
    // The PEB's GdiSharedHandleTable: 65536 entries of 24 bytes, type byte 0 when free.
    const uintptr_t peb = teb ? follow(teb + 0x60) : 0, table = peb ? follow(peb + 0xF8) : 0;
    int used = 0;
    for (uintptr_t entry = table; table && entry < table + 0x10000 * 24; entry += 24)
        used += reinterpret_cast<const uint8_t*>(entry)[14] != 0;
    return table ? used : -1;
}

// Every message box's caption is kept, and the box answered: a question with
// g_answer. When the please-wait dialog shows, g_clickDuringWork is clicked and Esc
// pressed, through the input queue and without pumping: they wait until the work is done.
int g_answer = IDNO;
std::string g_captions;
HWND g_clickDuringWork = nullptr;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    char name[16] = {}, caption[64] = {};
    RECT r;
    if (code != HCBT_ACTIVATE || !GetClassNameA(box, name, sizeof name) ||
        std::string(name) != "#32770") {
    } else if (GetDlgItem(box, IDYES) || GetDlgItem(box, IDOK)) {
        GetWindowTextA(box, caption, sizeof caption);
        g_captions += std::string(caption) + " ";
        PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDYES) ? WPARAM(g_answer) : IDOK, 0);
    } else if (g_clickDuringWork && GetWindowRect(g_clickDuringWork, &r)) {
        SetCursorPos(r.left + 20, r.top + 10);
        INPUT input[4] = {{INPUT_MOUSE, {{0, 0, 0, MOUSEEVENTF_LEFTDOWN, 0, 0}}},
                          {INPUT_MOUSE, {{0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0}}}};
        for (INPUT* key : {&input[2], &input[3]})
            key->type = INPUT_KEYBOARD, key->ki.wVk = VK_ESCAPE;
        input[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, input, sizeof input[0]);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class WizardFrameTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_TRUE(!HasFatalFailure() && sandbox.Active());
        frame = std::make_unique<WizardFrame>();
        frame->Create();
        static const bool hooked = SetWindowsHookExA(WH_CBT, AnswerBoxes, 0, GetCurrentThreadId());
        ASSERT_TRUE(hooked); // once: every test runs on this thread
        // What Run does before its loop; the tests pump the messages into its loop's body.
        frame->ShowWelcomePage();
        ShowWindow(frame->m_hWndWizard, SW_SHOW);
        g_deliver = [this](MSG& msg) { frame->Deliver(msg); };
    }
    void TearDown() override {
        g_deliver = nullptr;
        GuiTest::TearDown();
    }
    // Startup values whose programs are gone keep the startup check busy a while.
    void PlantStartupValues() {
        for (int i = 0; i < 20000; ++i)
            ASSERT_TRUE(PutString(kRootLocalMachine, kRun, std::to_string(i), files.Path("gone")));
    }
    void Click(const Button& button) { ClickAt(ScreenPoint(button.Handle(), 56, 18)); }

    const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    RegistrySandbox sandbox;
    TestFolder files;
    std::unique_ptr<WizardFrame> frame;
};

TEST_F(WizardFrameTest, TheButtonsLeadFromPageToPage) {
    PlantStartupValues();
    // The one key left to find has a text beyond code page 936: a fix leaves it, and warns.
    const std::string app = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tw.exe";
    RegKey key;
    ASSERT_TRUE(PutString(kRootLocalMachine, app, "", files.Path("gone.exe")) &&
                key.Open(kRootLocalMachine, app.c_str(), KEY_SET_VALUE) &&
                !RegSetValueExW(key.Get(), L"Name", 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(L"\u00ae"), 4));
    WizardFrame& f = *frame;
    const HWND welcome = f.m_WelcomePage.m_hWndPage, progress = f.m_ProgressPage.m_hWndPage,
               results = f.m_ResultPage.m_hWndPage;
    // Button clicked, page shown then (null: the window gone), Back and Continue on, boxes.
    const std::tuple<const char*, Button*, HWND, bool, bool, const char*> steps[] = {
        {"Continue", &f.m_NextButton, progress, false, false, ""},
        {"Cancel while scanning", &f.m_CancelButton, welcome, false, true, ""},
        {"Continue, one key to find", &f.m_NextButton, results, true, true, ""},
        {"Fix without a backup", &f.m_NextButton, welcome, false, true, "询问 警告 "},
        {"Continue again", &f.m_NextButton, results, true, true, ""},
        {"Back on the results", &f.m_BackButton, welcome, false, true, ""},
        {"Cancel, not confirmed", &f.m_CancelButton, welcome, false, true, "询问 "},
        {"Cancel, confirmed", &f.m_CancelButton, nullptr, false, false, "询问 "}};
    for (const auto& [name, button, page, back, next, boxes] : steps) {
        SCOPED_TRACE(name);
        g_captions.clear();
        g_answer = page ? IDNO : IDYES;
        if (page == results) RemoveTree(kRootLocalMachine, kRun);
        Click(*button);
        const HWND shown = page;
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(shown) || !f.m_hWndWizard; }, 60000));
        EXPECT_EQ(g_captions, boxes);
        EXPECT_EQ(IsWindowVisible(welcome) + IsWindowVisible(progress) + IsWindowVisible(results),
                  page ? 1 : 0);
        EXPECT_EQ(IsWindowEnabled(f.m_BackButton.Handle()) != FALSE, back);
        EXPECT_EQ(IsWindowEnabled(f.m_NextButton.Handle()) != FALSE, next);
    }
    EXPECT_TRUE(KeyExists(kRootLocalMachine, app));
}

// Tab goes through the page's controls in reading order, then Back (skipped while
// disabled), Next and Cancel, and round again; Shift+Tab goes the other way.
TEST_F(WizardFrameTest, TabAndShiftTabGoInReadingOrderAndTheWheelScrollsWhatIsUnderThePointer) {
    WizardFrame& f = *frame;
    SetForegroundWindow(f.m_hWndWizard);
    const HWND back = f.m_BackButton.Handle(), next = f.m_NextButton.Handle(),
               cancel = f.m_CancelButton.Handle();
    auto walk = [](const std::vector<HWND>& order) {
        const size_t n = order.size();
        EXPECT_EQ(GetFocus(), order[0]);
        for (size_t i = 1; i <= n; ++i) {
            SendKey(VK_TAB);
            EXPECT_EQ(GetFocus(), order[i % n]) << "Tab " << i;
        }
        for (size_t i = 1; i <= n; ++i) {
            SendKey(VK_TAB, VK_SHIFT);
            EXPECT_EQ(GetFocus(), order[n - i]) << "Shift+Tab " << i;
        }
    };
    SendKey(VK_TAB); // the first key shows the focus on the first control
    walk({f.m_WelcomePage.m_hWndScan, next, cancel});
    ShowWindow(f.m_WelcomePage.m_hWndPage, SW_HIDE);
    f.m_Items.resize(40);
    for (ProblemItem& item : f.m_Items)
        item.jobId = 7, item.description = "值无效。";
    f.ShowScanResults();
    const GroupView& groups = f.m_ResultPage.m_GroupView;
    const HWND view = f.m_ResultPage.m_ResultView.Handle();
    walk({groups.Handle(), view, back, next, cancel});
    // The wheel scrolls the view under the pointer, not the group view that has the focus,
    // where Windows sends it when inactive windows are not scrolled by hovering.
    const int32_t chosen = groups.SelectedGroup();
    const POINT over = ScreenPoint(view, 50, 50);
    MoveMouseTo(over);
    PostMessageA(groups.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                 MAKELPARAM(over.x, over.y));
    PumpMessages();
    EXPECT_GT(GetScrollPos(view, SB_VERT), 0);
    EXPECT_EQ(GetFocus(), groups.Handle());
    EXPECT_EQ(groups.SelectedGroup(), chosen);
}

// A held Enter starts the scan once; its repeats do not press the Stop it lands on, Esc
// does. Alt+F4 closes the window, as the system menu's Close.
TEST_F(WizardFrameTest, AHeldEnterActsOnceEscStopsAndAltF4Closes) {
    PlantStartupValues();
    for (const LPARAM repeat : {0, 1 << 30, 1 << 30})
        PostMessageA(frame->m_hWndWizard, WM_KEYDOWN, VK_RETURN, repeat | 1);
    PumpMessages(300);
    EXPECT_TRUE(IsWindowVisible(frame->m_ProgressPage.m_hWndPage));
    EXPECT_FALSE(frame->m_ProgressPage.m_Status.stopRequested);
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(frame->m_ProgressPage.m_Status.stopRequested);
    SendKey(VK_F4, VK_MENU);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame->m_hWndWizard); }));
}

TEST_F(WizardFrameTest, ClosingTheWindowDuringAScanEndsTheWorkerBeforeTheFrameGoes) {
    PlantStartupValues();
    Click(frame->m_NextButton);
    ASSERT_TRUE(PumpUntil([&] { return frame->m_ProgressPage.m_nJobsDone == 7; }, 60000));
    const KernelHandle worker(OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE,
                                         GetThreadId(frame->m_ProgressPage.WorkerThread())));
    SendMessageA(frame->m_hWndWizard, WM_SYSCOMMAND, SC_CLOSE, 0); // no question asked
    ASSERT_EQ(WaitForSingleObject(worker.Get(), 0), WAIT_TIMEOUT) << "still in the startup check";
    frame.reset();
    EXPECT_EQ(WaitForSingleObject(worker.Get(), 0), WAIT_OBJECT_0) << "it outlived the frame";
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(worker.Get(), &code);
    EXPECT_EQ(code, 1u) << "the scan stops after the job it is in";
}

TEST_F(WizardFrameTest, PaintingEveryKindOfWindowKeepsTheGdiObjectCount) {
    WizardFrame& f = *frame;
    f.m_Items.resize(40);
    for (ProblemItem& item : f.m_Items)
        item.jobId = 7, item.description = "值无效。", item.dataText = std::string(300, 'x');
    // Focus rectangles shown; the view's tip of a card whose text is cut.
    f.m_Keys.ShowCues();
    const HWND view = f.m_ResultPage.m_ResultView.Handle(),
               tip = f.m_ResultPage.m_ResultView.ToolTip();
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    auto round = [&] {
        f.ShowScanResults(); // the group view's icons, loaded anew
        SetFocus(view);
        BringWindowToTop(f.m_ResultPage.m_hWndPage); // over the other pages shown below
        const POINT over = ScreenPoint(view, 50, 50);
        SetCursorPos(over.x, over.y);
        SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }))
            << "the card's text is cut: it shows whole in the tip";
        UpdateWindow(tip);
        SendMessageA(tip, TTM_POP, 0, 0);
        f.m_ProgressPage.PrepareScan();
        SendMessageA(f.m_ProgressPage.m_hWndPage, WM_TIMER, velk::ProgressPage::kTimerId, 0);
        f.ShowBackupFiles();
        // Every page shown, overlapping: each paints all of itself.
        ShowWindow(f.m_WelcomePage.m_hWndPage, SW_SHOW);
        ShowWindow(f.m_ProgressPage.m_hWndPage, SW_SHOW);
        RedrawWindow(f.m_hWndWizard, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        f.m_BackupFilePage.Clear();
    };
    round(), round(); // fonts, DCs, image lists and the tip cache a few objects at first
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 20; ++i)
        round();
    EXPECT_EQ(CountGdiObjects(), before);
}

// Records the chosen file no longer holds are never written: a backup emptied before
// its records were read, and one replaced by another since. A click on Cancel and Esc
// given while the work ran are dropped, not taken as a wish to quit.
TEST_F(WizardFrameTest, ARestoreOfRecordsTheFileNoLongerHoldsFails) {
    const KernelHandle lock(CreateMutexA(nullptr, FALSE, "tidewell-tests-backup-folder"));
    ASSERT_EQ(WaitForSingleObject(lock.Get(), 100000) & ~WAIT_ABANDONED, WAIT_OBJECT_0);
    BackupManager& m = frame->m_BackupManager;
    const std::string folder = m.GetBackupFolder(), key = "Software\\Tw";
    DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    PutString(kRootCurrentUser, key, "v", "kept in the first");
    PutString(kRootCurrentUser, key, "w", "kept in the second");
    const std::string first = m.CreateAutomaticBackup({MakeItem(kRootCurrentUser, key, "v", 0)});
    const std::string second = m.CreateAutomaticBackup({MakeItem(kRootCurrentUser, key, "w", 0)});
    ASSERT_FALSE(first.empty() || second.empty());
    RemoveTree(kRootCurrentUser, key);
    for (const bool replaced : {true, false}) {
        SCOPED_TRACE(replaced ? "replaced" : "emptied");
        if (!replaced) WriteFileBytes(folder + first, "");
        frame->m_Items.clear();
        m.ReadBackup(first, frame->m_Items);
        ASSERT_EQ(frame->m_Items.size(), replaced ? 1u : 0u);
        if (replaced)
            MoveFileExA((folder + second).c_str(), (folder + first).c_str(),
                        MOVEFILE_REPLACE_EXISTING);
        frame->m_BackupFilePage.m_strFileName = first;
        frame->ShowRestoreRecords();
        g_answer = IDYES, g_captions.clear();
        g_clickDuringWork = frame->m_CancelButton.Handle();
        Click(frame->m_NextButton);
        g_clickDuringWork = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(frame->m_WelcomePage.m_hWndPage); }));
        PumpMessages(500);
        EXPECT_EQ(g_captions, "询问 错误 ");
        EXPECT_TRUE(IsWindow(frame->m_hWndWizard));
        EXPECT_FALSE(KeyExists(kRootCurrentUser, key));
    }
    DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    ReleaseMutex(lock.Get());
}

TEST(WizardFrameDeathTest, ASecondFrameStopsTheProgram) {
    const WizardFrame first;
    EXPECT_DEATH({ WizardFrame second; }, "m_Singleton == 0");
}

} // namespace
