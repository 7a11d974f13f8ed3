#include "controls/ResultView.h"

#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace {

const uint32_t kFrame = Rgb(238, 238, 238);
const uint32_t kNavy = Rgb(0, 0, 128);

ProblemList MakeItems(int count) {
    ProblemList items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ProblemItem& item = items[static_cast<size_t>(i)];
        item.description = "值无效。 #" + std::to_string(i);
        item.locationText = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        item.dataText = "Updater" + std::to_string(i) + ": C:\\Program Files\\Gone\\up.exe /q";
        item.jobId = 7;
    }
    return items;
}

uint32_t WindowColour() {
    const COLORREF c = GetSysColor(COLOR_WINDOW);
    return Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

SCROLLBARINFO ScrollBar(HWND view) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    GetScrollBarInfo(view, OBJID_VSCROLL, &info);
    return info;
}

// Wine marks a disabled bar on its two arrows only.
bool ScrollBarEnabled(HWND view) {
    const SCROLLBARINFO bar = ScrollBar(view);
    return !((bar.rgstate[0] | bar.rgstate[1] | bar.rgstate[5]) & STATE_SYSTEM_UNAVAILABLE);
}

// Press and release queued together: a press on a scroll bar runs the system's own
// tracking loop, which returns only when it sees the release.
void ClickWithoutPause(POINT screen) {
    MoveMouseTo(screen);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
    PumpMessages();
}

class ResultViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(426, 396);
        ASSERT_TRUE(host->Handle());
        view.Create(host->Handle(), 0, 0, 426, 396);
        ASSERT_TRUE(view.Handle());
        PumpMessages();
    }

    void Show(ProblemList& list, ResultView& target) {
        target.ClearItems();
        for (ProblemItem& item : list)
            target.AddItem(&item);
        target.LayoutItems();
        UpdateWindow(target.Handle());
    }
    void Show(ProblemList& list) { Show(list, view); }

    void ClickClient(int x, int y) { ClickAt(ScreenPoint(view.Handle(), x, y)); }
    // The middle of the tick box of card k, given the scroll position.
    void ClickTick(int k) { ClickClient(17, 60 * k + 17 - view.ScrollPos()); }
    void Scroll(WORD request) {
        SendMessageA(view.Handle(), WM_VSCROLL, MAKEWPARAM(request, 0), 0);
    }
    int BarPos() const { return GetScrollPos(view.Handle(), SB_VERT); }
    // A point of the scroll bar, in screen coordinates, y from its top (< 0: from its
    // bottom). Wine's dxyLineButton holds the thumb's size: arrows go by the metric.
    POINT OnBar(int y) {
        const RECT bar = ScrollBar(view.Handle()).rcScrollBar;
        return POINT{(bar.left + bar.right) / 2, y >= 0 ? bar.top + y : bar.bottom + y};
    }
    POINT UpArrow() { return OnBar(GetSystemMetrics(SM_CYVSCROLL) / 2); }
    POINT DownArrow() { return OnBar(-GetSystemMetrics(SM_CYVSCROLL) / 2); }
    Image Shown() { return CaptureClient(view.Handle()); }

    ProblemList items;
    ResultView view; // outlives the host, which takes the view's window with it
    std::unique_ptr<HostWindow> host;
};

TEST_F(ResultViewTest, ClickingATickBoxFlipsThatItemInPlace) {
    items = MakeItems(3);
    Show(items);
    const RECT box1 = {9, 69, 25, 85};
    const Image ticked = Crop(Shown(), box1);
    ClickTick(1);
    EXPECT_FALSE(items[1].selected);
    EXPECT_TRUE(items[0].selected && items[2].selected);
    EXPECT_NE(Crop(Shown(), box1), ticked);
    ClickTick(1);
    EXPECT_TRUE(items[1].selected) << "a second click restores";
    EXPECT_EQ(Crop(Shown(), box1), ticked);

    // The box's corners: left and top inclusive, right and bottom exclusive.
    ClickClient(9, 69);
    ClickClient(24, 84);
    EXPECT_TRUE(items[1].selected);
    const Image before = Shown();
    for (POINT p : {POINT{25, 77}, POINT{17, 85}, POINT{8, 77}, POINT{17, 68}, POINT{100, 75},
                    POINT{200, 100}, POINT{17, 200}, POINT{300, 390}})
        ClickClient(p.x, p.y); // beside the box, the card's texts, below the last card
    for (const ProblemItem& item : items)
        EXPECT_TRUE(item.selected);
    EXPECT_EQ(Shown(), before);
}

TEST_F(ResultViewTest, ScrollRequestsStopAtBothEndsAndClicksFollow) {
    items = MakeItems(20); // 1200 pixels, page 396: the last position is 805
    Show(items);
    ClickWithoutPause(UpArrow()); // SB_LINEUP at the top
    Scroll(SB_PAGEUP);
    EXPECT_EQ(view.ScrollPos(), 0);
    EXPECT_EQ(BarPos(), 0);
    ClickWithoutPause(DownArrow());
    EXPECT_EQ(view.ScrollPos(), 60);
    ClickWithoutPause(OnBar(330)); // the track below the thumb
    EXPECT_EQ(view.ScrollPos(), 360);
    Scroll(SB_THUMBPOSITION);
    Scroll(SB_ENDSCROLL);
    EXPECT_EQ(view.ScrollPos(), 360);

    Scroll(SB_BOTTOM);
    EXPECT_EQ(view.ScrollPos(), 805);
    ClickWithoutPause(DownArrow());
    Scroll(SB_PAGEDOWN);
    EXPECT_EQ(view.ScrollPos(), 805);
    EXPECT_EQ(BarPos(), 805);
    ClickTick(19);       // the last card, at the window's bottom
    ClickTick(14);       // the first whole card at the top
    ClickClient(17, 77); // card 1's box unscrolled, card 14's text now
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].selected, i != 14 && i != 19) << i;
    Scroll(SB_TOP);
    EXPECT_EQ(view.ScrollPos(), 0);
}

TEST_F(ResultViewTest, DraggingTheThumbFarDownALongList) {
    items = MakeItems(5000); // 300,000 pixels: more than a message's 16 bits of thumb
    Show(items);
    const SCROLLBARINFO bar = ScrollBar(view.Handle());
    const POINT thumb = OnBar((bar.xyThumbTop + bar.xyThumbBottom) / 2);
    const POINT middle = OnBar((bar.rcScrollBar.bottom - bar.rcScrollBar.top) / 2);
    std::atomic<bool> done{false};
    // The drag runs in the scroll bar's own loop on this thread; the hand is another.
    std::thread hand([&] {
        MoveMouseTo(thumb);
        PressLeftButton();
        for (int step = 1; step <= 10; ++step)
            MoveMouseTo(POINT{thumb.x, thumb.y + (middle.y - thumb.y) * step / 10});
        ReleaseLeftButton();
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    hand.join();
    PumpMessages();

    const int position = view.ScrollPos();
    EXPECT_GT(position, 100000) << "the thumb's full position, not its low 16 bits";
    EXPECT_LT(position, 200000);
    EXPECT_EQ(BarPos(), position);
    const size_t k = static_cast<size_t>(position / 60 + 1);
    ClickTick(static_cast<int>(k));
    EXPECT_FALSE(items[k].selected);
    EXPECT_TRUE(items[k - 1].selected && items[k + 1].selected);
}

TEST_F(ResultViewTest, TheScrollBarIsOffUnlessTheCardsFillTheWindow) {
    Show(items); // no cards: plain window colour
    EXPECT_FALSE(ScrollBarEnabled(view.Handle()));
    const Image empty = Shown();
    EXPECT_EQ(CountColour(empty, WindowColour()), empty.width * empty.height);

    // A short list after a long, scrolled one: the disabled bar keeps its old range,
    // and a request must not scroll the cards out of sight.
    ProblemList longList = MakeItems(20);
    Show(longList);
    Scroll(SB_BOTTOM);
    ASSERT_EQ(view.ScrollPos(), 805);
    items = MakeItems(6); // 360 < 396
    Show(items);
    EXPECT_FALSE(ScrollBarEnabled(view.Handle()));
    EXPECT_EQ(view.ScrollPos(), 0);
    Scroll(SB_BOTTOM);
    ClickWithoutPause(DownArrow());
    EXPECT_EQ(view.ScrollPos(), 0);
    ClickTick(0);
    EXPECT_FALSE(items[0].selected);

    // Exactly as many cards as the window is high: it scrolls.
    ResultView fits;
    fits.Create(host->Handle(), 0, 0, 426, 360);
    ProblemList six = MakeItems(6), five = MakeItems(5);
    Show(six, fits);
    EXPECT_TRUE(ScrollBarEnabled(fits.Handle()));
    Show(five, fits);
    EXPECT_FALSE(ScrollBarEnabled(fits.Handle()));
    DestroyWindow(fits.Handle());
}

TEST_F(ResultViewTest, PaintsCardsWithFrameTickTitleAndLines) {
    items = MakeItems(2);
    items[1].selected = false;
    Show(items);
    const Image shown = Shown();
    EXPECT_EQ(shown.At(100, 1), kFrame) << "frame: 3 in, 1 down";
    EXPECT_EQ(shown.At(3, 30), kFrame);
    EXPECT_EQ(shown.At(100, 0), WindowColour());
    EXPECT_EQ(shown.At(1, 30), WindowColour());
    EXPECT_EQ(shown.At(100, 61), kFrame) << "the second card";
    EXPECT_NE(Crop(shown, RECT{9, 9, 25, 25}), Crop(shown, RECT{9, 69, 25, 85}));
    EXPECT_GT(CountColour(Crop(shown, RECT{30, 9, 409, 30}), kNavy), 20) << "title in navy";
    for (const RECT& line : {RECT{9, 30, 409, 45}, RECT{9, 45, 409, 60}}) {
        int grey = 0;
        for (uint32_t p : Crop(shown, line).pixels) // smoothed: any neutral dark grey
            grey += ((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF) &&
                    (p & 0xFF) < 200;
        EXPECT_GT(grey, 20) << "item and value lines in grey";
    }
    EXPECT_EQ(CountColour(Crop(shown, RECT{0, 120, 409, 396}), WindowColour()), 409 * 276);
}

// Only the cards in the window are drawn; what it shows must not change.
TEST_F(ResultViewTest, AScrolledWindowShowsTheSameCardsShifted) {
    items = MakeItems(100);
    Show(items);
    const Image top = Shown();
    Scroll(SB_LINEDOWN); // the card cut at the bottom is now whole
    const Image lineDown = Shown();
    EXPECT_EQ(Crop(lineDown, RECT{0, 0, 409, 336}), Crop(top, RECT{0, 60, 409, 396}));
    Scroll(SB_BOTTOM); // 5605: no multiple of a card, one is cut at the top
    const Image end = Shown();
    Scroll(SB_LINEUP);
    const Image lineUp = Shown();
    EXPECT_EQ(Crop(end, RECT{0, 0, 409, 336}), Crop(lineUp, RECT{0, 60, 409, 396}));
    EXPECT_NE(CountColour(Crop(end, RECT{0, 0, 409, 36}), kFrame), 0);
}

TEST_F(ResultViewTest, TextsOfSeveralKilobytesShowOneClippedLine) {
    items = MakeItems(3);
    std::string chinese;
    for (int i = 0; i < 4000; ++i)
        chinese += "注";
    items[0].description = std::string(8000, 'W');
    items[0].locationText = std::string(8000, 'x');
    items[0].dataText = chinese;
    items[1].description = std::string(300, 'W');
    items[1].locationText = std::string(300, 'x');
    items[1].dataText = chinese.substr(0, 300);
    // Cut inside a character: a lead byte without its second byte.
    items[2].description = chinese.substr(0, 7999);
    items[2].locationText = chinese.substr(0, 7001);
    EXPECT_EQ(ResultView::ValueLine(items[0]), "值：" + chinese);
    Show(items);
    const Image shown = Shown();
    EXPECT_EQ(Crop(shown, RECT{0, 0, 409, 60}), Crop(shown, RECT{0, 60, 409, 120}));
    EXPECT_GT(CountColour(Crop(shown, RECT{30, 129, 409, 150}), kNavy), 20);
}

TEST_F(ResultViewTest, AmpersandsInTextsAreShownAsStored) {
    items = MakeItems(2);
    items[0].dataText = "&&"; // as a mnemonic it would show one ampersand, like "&"
    items[1].dataText = "&";
    Show(items);
    const Image shown = Shown();
    EXPECT_NE(Crop(shown, RECT{9, 45, 409, 60}), Crop(shown, RECT{9, 105, 409, 120}));
}

TEST_F(ResultViewTest, PaintingManyTimesKeepsTheGdiObjectCount) {
    items = MakeItems(50);
    auto round = [&] {
        Show(items);
        for (WORD request : {SB_PAGEDOWN, SB_LINEDOWN, SB_BOTTOM, SB_LINEUP, SB_TOP}) {
            Scroll(request);
            UpdateWindow(view.Handle());
        }
        ClickTick(1);
        // A view's window takes its tick images with it.
        ResultView other;
        other.Create(host->Handle(), 0, 0, 426, 396);
        Show(items, other);
        DestroyWindow(other.Handle());
    };
    round(); // fonts, DCs and image lists cache a few objects on first use
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 30; ++i)
        round();
    EXPECT_EQ(CountGdiObjects(), before);
}

} // namespace
