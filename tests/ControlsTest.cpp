#include "controls/Button.h"
#include "controls/ProgressPage.h"
#include "controls/ResultPage.h"
#include "engine/JobEnumerator.h"
#include "support/AccessibleReader.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/SandboxTest.h"
#include "support/UserInput.h"

#include <algorithm>
#include <map>
#include <memory>
#include <thread>
#include <tuple>

namespace {

using ButtonTest = GuiTest;

TEST_F(ButtonTest, SendsItsCommandOnceForAReleaseOverItWhileEnabled) {
    Button* button = nullptr;
    auto in = [&] { return ScreenPoint(button->Handle(), 56, 18); };
    auto out = [&] { MoveMouseTo(ScreenPoint(button->Handle(), 220, 18)); };
    auto press = [&] { MoveMouseTo(in()), SendMouse(MOUSEEVENTF_LEFTDOWN); };
    auto up = [] { SendMouse(MOUSEEVENTF_LEFTUP); };
    auto disable = [&](WPARAM) { button->Disable("继续 >"); };
    auto enable = [&] { button->Enable("继续 >", 1001); };
    auto space = [&](LPARAM flags) { SendMessageA(button->Handle(), WM_KEYDOWN, VK_SPACE, flags); };
    auto steal = [&] { SetCapture(GetParent(button->Handle())), ReleaseCapture(); };
    auto read = [&] { AccessibleReader(button->Handle()).Act(CHILDID_SELF), PumpMessages(); };
    auto boxUp = [&] { EnableWindow(GetAncestor(button->Handle(), GA_ROOT), FALSE); };
    // What the parent does on a click, what the user does, the commands sent.
    const std::tuple<const char*, std::function<void(WPARAM)>, std::function<void()>,
                     std::vector<WPARAM>>
        cases[] = {
            {"release inside", nullptr, [&] { press(), up(); }, {1001}},
            {"release outside", nullptr, [&] { press(), out(), up(); }, {}},
            {"out and back in", nullptr, [&] { press(), out(), MoveMouseTo(in()), up(); }, {1001}},
            {"disabled in the press", nullptr, [&] { press(), disable(0), enable(), up(); }, {}},
            {"disabled on its click", disable, [&] { ClickAt(in()), ClickAt(in()); }, {1001}},
            {"capture taken", nullptr, [&] { press(), steal(), up(); }, {}},
            {"space held", nullptr, [&] { space(0), space(1 << 30), space(1 << 30); }, {1001}},
            {"a reader's press", nullptr, read, {1001}},
            {"a reader's press, disabled", nullptr, [&] { disable(0), read(); }, {}},
            {"a reader's press, a box up", nullptr, [&] { boxUp(), read(); }, {}}};
    for (const auto& [name, onCommand, gesture, sent] : cases) {
        SCOPED_TRACE(name);
        Button thisButton; // first: the host's window takes the button's with it
        HostWindow host(320, 100);
        button = &thisButton;
        button->Create(host.Handle(), 20, 30);
        button->Enable("继续 >", 0x10000 | 1001); // the command is the low word
        host.onCommand = onCommand;
        gesture();
        EXPECT_EQ(host.commands, sent);
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

// A screen reader in this process reads it, and still holds its object once it is gone.
TEST_F(ButtonTest, AReaderReadsItAndFailsCleanlyOnceItIsGone) {
    Button button;
    auto host = std::make_unique<HostWindow>(320, 100);
    button.Create(host->Handle(), 20, 30);
    button.Disable("继续 >");
    AccessibleReader reader(button.Handle());
    ASSERT_TRUE(reader.acc);
    EXPECT_EQ(reader.Name(CHILDID_SELF), L"继续 >");
    EXPECT_EQ(reader.Role(CHILDID_SELF), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(reader.State(CHILDID_SELF), STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(reader.State(1), E_INVALIDARG) << "a button has no parts";
    host.reset();
    EXPECT_EQ(reader.Role(CHILDID_SELF), RPC_E_DISCONNECTED);
}

using Items = std::vector<size_t>; // indexes into the list

// The group view and the result view as the page holds them.
class ResultPanes : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        host = std::make_unique<HostWindow>(690, 455);
        page.Create(host->Handle());
        ShowWindow(page.m_hWndPage, SW_SHOW);
    }
    // Items of these jobs given to the page: group 0 chosen, all of them shown.
    void Show(std::vector<int32_t> jobIds) {
        items.assign(jobIds.size(), ProblemItem());
        for (size_t i = 0; i < items.size(); ++i)
            items[i].jobId = jobIds[i];
        page.SetItems(items);
    }
    Items Unticked() const {
        Items unticked;
        for (size_t i = 0; i < items.size(); ++i)
            if (!items[i].selected) unticked.push_back(i);
        return unticked;
    }
    HWND View() const { return page.m_ResultView.Handle(); }
    void ClickView(int x, int y) { ClickAt(ScreenPoint(View(), x, y)); }
    void ClickTick(size_t card) {
        ClickView(17, 60 * static_cast<int>(card) + 17 - page.m_ResultView.ScrollPos());
    }

    JobEnumerator jobs;
    ProblemList items;
    velk::ResultPage page; // outlives the host, whose window takes the page's
    std::unique_ptr<HostWindow> host;
};
using ResultPageTest = ResultPanes;

TEST_F(ResultPageTest, GroupsCountAndChooseAndTheViewScrollsAndClicksFollow) {
    Show({});
    for (const HWND pane : {View(), page.m_GroupView.Handle()}) // nothing to move to
        for (const UINT key : {VK_DOWN, VK_END, VK_SPACE})
            SendMessageA(pane, WM_KEYDOWN, key, 0);
    Show({2, 7, 2, -1, 9, 1000, 0});
    const GroupView& groups = page.m_GroupView;
    ASSERT_EQ(groups.Groups().size(), 9u);
    const int counts[9] = {7, 0, 2, 0, 0, 0, 0, 1, 0};
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(groups.Groups()[i].itemCount, counts[i]) << "group " << i;
    ClickAt(ScreenPoint(groups.Handle(), 150, 2 * 32 + 16)); // rows of 32 pixels
    ClickAt(ScreenPoint(groups.Handle(), 150, 9 * 32 + 5));  // below the last: no row
    EXPECT_EQ(groups.SelectedGroup(), 2);
    EXPECT_EQ(page.m_ResultView.Entries().size(), 2u);
    // Keys choose a row as a click does: group, and the cards it shows.
    const std::tuple<UINT, int32_t, size_t> rows[] = {
        {VK_DOWN, 3, 0}, {VK_END, 8, 0}, {VK_UP, 7, 1}, {VK_HOME, 0, 7}, {VK_UP, 0, 7}};
    for (const auto& [key, group, cards] : rows) {
        SendMessageA(groups.Handle(), WM_KEYDOWN, key, 0);
        EXPECT_EQ(groups.SelectedGroup(), group) << "key " << key;
        EXPECT_EQ(page.m_ResultView.Entries().size(), cards) << "key " << key;
    }
    Show(std::vector<int32_t>(5000, 7)); // 300,000 pixels in 396: the last position 299,604
    // Scroll requests, wheel turns of three lines of 20 pixels, and keys that move the
    // focus a card, six (a window's worth), or to an end: the position and focused card.
    const UINT sb = WM_VSCROLL, wheel = WM_MOUSEWHEEL, key = WM_KEYDOWN;
    const WPARAM up = MAKEWPARAM(0, 120), down = MAKEWPARAM(0, -240);
    // clang-format off
    const std::tuple<UINT, WPARAM, int, size_t> steps[] = {
        {sb, SB_LINEUP, 0, 0},        {sb, SB_PAGEUP, 0, 0},      {sb, SB_LINEDOWN, 60, 0},
        {sb, SB_PAGEDOWN, 360, 0},    {sb, SB_BOTTOM, 299604, 0}, {sb, SB_LINEDOWN, 299604, 0},
        {sb, SB_PAGEDOWN, 299604, 0}, {sb, SB_LINEUP, 299544, 0}, {sb, SB_BOTTOM, 299604, 0},
        {wheel, up, 299544, 0},       {wheel, down, 299604, 0},   {key, VK_HOME, 0, 0},
        {key, VK_DOWN, 0, 1},         {key, VK_NEXT, 84, 7},      {key, VK_PRIOR, 60, 1},
        {key, VK_UP, 0, 0},           {key, VK_UP, 0, 0},         {key, VK_END, 299604, 4999},
        {key, VK_UP, 299604, 4998}};
    // clang-format on
    for (const auto& [message, wParam, position, focused] : steps) {
        SendMessageA(View(), message, wParam, 0);
        EXPECT_EQ(page.m_ResultView.ScrollPos(), position) << message << " " << wParam;
        EXPECT_EQ(GetScrollPos(View(), SB_VERT), position) << message << " " << wParam;
        EXPECT_EQ(page.m_ResultView.FocusedCard(), focused) << message << " " << wParam;
    }
    UpdateWindow(View());
    SendMessageA(View(), WM_KEYDOWN, VK_UP, 0); // to 4997: only it and 4998 are drawn again
    RECT client, repaint = {};
    GetClientRect(View(), &client), GetUpdateRect(View(), &repaint, FALSE);
    const RECT twoCards = {0, 216, client.right, 336};
    EXPECT_TRUE(EqualRect(&repaint, &twoCards));
    // Up to 4993, cut at the top: the view moves 24 pixels, the two cards are drawn again.
    for (int i = 0; i < 4; ++i)
        UpdateWindow(View()), SendMessageA(View(), WM_KEYDOWN, VK_UP, 0);
    GetUpdateRect(View(), &repaint, FALSE);
    EXPECT_EQ(page.m_ResultView.ScrollPos(), 299580);
    const RECT scrolled = {0, 0, client.right, 120};
    EXPECT_TRUE(EqualRect(&repaint, &scrolled));
    for (const UINT back : {VK_END, VK_UP, VK_UP}) // to 4997 again, the view at the bottom
        SendMessageA(View(), WM_KEYDOWN, back, 0);
    // Space ticks once per press: not for its repeats, nor for the character it makes.
    for (const LPARAM flags : {0, 1 << 30})
        SendMessageA(View(), WM_KEYDOWN, VK_SPACE, flags);
    SendMessageA(View(), WM_CHAR, ' ', 0);
    ClickTick(4999);     // the last card, at the window's bottom
    ClickTick(4994);     // the first whole card at the top
    ClickView(17, 77);   // card 1's box unscrolled, card 4994's text now
    ClickView(200, 112); // beside card 4995's box
    EXPECT_EQ(Unticked(), (Items{4994, 4997, 4999}));
    EnableWindow(host->Handle(), FALSE); // a box of the program's asks its question
    EXPECT_EQ(AccessibleReader(View()).Act(1), DISP_E_MEMBERNOTFOUND) << "a reader ticked";
    EnableWindow(host->Handle(), TRUE);
    SCROLLBARINFO bar = {sizeof bar, {}, 0, 0, 0, 0, {}};
    ASSERT_TRUE(GetScrollBarInfo(View(), OBJID_VSCROLL, &bar));
    const LONG x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    const LONG from = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    const LONG to = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;
    std::atomic<bool> done{false};
    // The drag runs in the scroll bar's own loop on this thread; the hand is another.
    std::thread hand([&] {
        MoveMouseTo({x, from});
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        for (LONG step = 1; step <= 10; ++step)
            MoveMouseTo({x, from + (to - from) * step / 10});
        SendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    hand.join();
    PumpMessages();
    const int position = page.m_ResultView.ScrollPos();
    EXPECT_GT(position, 100000) << "the thumb's full position, not its low 16 bits";
    EXPECT_LT(position, 200000);
    EXPECT_EQ(GetScrollPos(View(), SB_VERT), position);
    const size_t card = static_cast<size_t>(position / 60 + 1);
    ClickTick(card);
    EXPECT_EQ(Unticked(), (Items{card, 4994, 4997, 4999}));
}

// Runs until a stop is requested, then reports three items, as a job ending its walk does.
class GateJob : public velk::Job {
public:
    void Scan(ScanStatus* status, ProblemList* items) override {
        for (entered = true; !status->stopRequested;)
            Sleep(5);
        for (int i = 0; i < 3; ++i, ++status->problemCount)
            items->emplace_back().jobId = jobId;
    }
    std::atomic<bool> entered{false};
};

using ProgressPageTest = GuiTest;

std::vector<std::pair<DWORD, LONG>> g_heard; // the events of g_heardFrom's client area
HWND g_heardFrom = nullptr;
void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND from, LONG object, LONG child, DWORD, DWORD) {
    if (from == g_heardFrom && object == OBJID_CLIENT) g_heard.emplace_back(event, child);
}

// What a screen reader hears: the focused card, a tick of it, and the list refilled.
TEST_F(ResultPageTest, FocusTickAndRefillAreAnnounced) {
    Show({7, 7});
    g_heardFrom = View();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_STATECHANGE, nullptr, Hear,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    SetFocus(View());
    for (const UINT key : {VK_DOWN, VK_SPACE})
        SendMessageA(View(), WM_KEYDOWN, key, 0);
    Show({7});
    PumpMessages(200);
    UnhookWinEvent(hook);
    using Said = std::pair<DWORD, LONG>;
    for (const Said& said : {Said{EVENT_OBJECT_FOCUS, 2}, Said{EVENT_OBJECT_STATECHANGE, 2},
                             Said{EVENT_OBJECT_REORDER, CHILDID_SELF}})
        EXPECT_NE(std::find(g_heard.begin(), g_heard.end(), said), g_heard.end()) << said.first;
}

TEST_F(ProgressPageTest, EachScanHandsOverWhatItFoundAndEndsAs1011OnlyWhenNotStopped) {
    JobEnumerator jobs; // outlives the page, as in the frame
    RegistrySandbox sandbox;
    TestFolder files;
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(sandbox.Active() && PutString(kRootLocalMachine, run, "a", files.Path("a.exe")) &&
                PutString(kRootLocalMachine, run, "b", files.Path("b.exe") + " /x"));
    GateJob gate;
    velk::ProgressPage page; // ends a scan that still runs before the gate goes
    HostWindow host(690, 496);
    page.Create(host.Handle());
    // Gate row (-1: none, -2: a stop before the start), end sent, items by job, jobs done.
    const std::tuple<const char*, int32_t, WPARAM, std::map<int32_t, int>, int32_t> scans[] = {
        {"a full scan", -1, 1011, {{7, 2}}, 9},
        {"a stop before the first job", -2, 1012, {}, 0},
        {"a stop midway", 4, 1012, {{4, 3}}, 5},
        {"a stop in the last job", 8, 1012, {{7, 2}, {8, 3}}, 9}};
    for (const auto& [name, gateRow, end, found, jobsDone] : scans) {
        SCOPED_TRACE(name);
        page.PrepareScan();
        if (gateRow >= 0) page.m_JobRows[static_cast<size_t>(gateRow)].job = &gate;
        gate.jobId = gateRow;
        gate.entered = false;
        if (gateRow == -2) page.m_Status.stopRequested = true;
        host.commands.clear();
        ASSERT_TRUE(page.StartScan());
        if (gateRow >= 0) {
            ASSERT_TRUE(PumpUntil([&] { return gate.entered.load(); }, 60000));
            page.m_Status.stopRequested = true; // as the frame does on Cancel
        }
        ASSERT_TRUE(PumpUntil([&] { return !host.commands.empty(); }, 60000));
        EXPECT_EQ(host.commands, std::vector<WPARAM>{end});
        std::map<int32_t, int> handedOver;
        for (const ProblemItem& item : page.m_FoundItems)
            ++handedOver[item.jobId];
        EXPECT_EQ(handedOver, found);
        EXPECT_EQ(page.m_nJobsDone.load(), jobsDone);
        page.StopTimer();
    }
}

} // namespace
