#include "controls/Button.h"

#include "resources/ResourceIds.h"
#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <memory>
#include <string>

namespace {

const RECT kFaceArea = {0, 0, Button::kWidth, Button::kHeight};

class ButtonTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(320, 100);
        ASSERT_TRUE(host->Handle());
        button.Create(host->Handle(), 20, 30);
        button.Enable("", 1001); // no caption: the window shows the bare face
        PumpMessages();
    }

    POINT Inside() const { return ScreenPoint(button.Handle(), 56, 18); }
    POINT Outside() const { return ScreenPoint(button.Handle(), 220, 18); }
    Image Shown() const {
        UpdateWindow(button.Handle());
        return CaptureWindow(button.Handle(), kFaceArea);
    }
    void Press() {
        MoveMouseTo(Inside());
        PressLeftButton();
    }

    Button button; // declared first: the host (and the button's window) goes first
    std::unique_ptr<HostWindow> host;
};

TEST_F(ButtonTest, ShowsTheFaceOfEachState) {
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_NORMAL));
    Press();
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_PRESSED));
    button.Disable("");
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_DISABLED));
    ReleaseLeftButton();
}

TEST_F(ButtonTest, CaptionColourFollowsTheFace) {
    struct Case {
        bool enabled;
        bool pressed;
        uint32_t colour;
        int face;
    } cases[] = {{true, false, Rgb(0, 0, 0), IDB_BUTTON_NORMAL},
                 {true, true, Rgb(255, 255, 255), IDB_BUTTON_PRESSED},
                 {false, false, Rgb(204, 204, 204), IDB_BUTTON_DISABLED}};
    for (const Case& c : cases) {
        if (c.enabled)
            button.Enable("继续 >", 1001);
        else
            button.Disable("继续 >");
        if (c.pressed)
            Press();
        const Image face = LoadBitmapImage(c.face);
        const Image shown = Shown();
        // Caption pixels are the ones that differ from the face; the solid ones have
        // exactly the caption colour.
        int differing = 0, captionColoured = 0;
        for (size_t i = 0; i < shown.pixels.size(); ++i) {
            if (shown.pixels[i] != face.pixels[i]) {
                ++differing;
                captionColoured += shown.pixels[i] == c.colour;
            }
        }
        EXPECT_GT(differing, 40) << "no caption drawn on face " << c.face;
        EXPECT_GT(captionColoured, 20) << "caption not in its colour on face " << c.face;
        if (c.pressed)
            ReleaseLeftButton();
    }
}

TEST_F(ButtonTest, ReleaseInsideSendsTheCommandOnce) {
    button.Enable("", 0x12345);
    Press();
    EXPECT_EQ(GetCapture(), button.Handle());
    EXPECT_TRUE(host->commands.empty()) << "a press alone must not click";
    ReleaseLeftButton();
    ASSERT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(host->commands[0].wParam, 0x2345u) << "low word only, high word 0";
    EXPECT_EQ(host->commands[0].lParam, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_NORMAL));
}

TEST_F(ButtonTest, ReleaseOutsideCancelsTheClick) {
    Press();
    MoveMouseTo(Outside());
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_NORMAL));
    ReleaseLeftButton();
    EXPECT_TRUE(host->commands.empty());
    EXPECT_EQ(GetCapture(), nullptr);
    // Back to idle: the next click counts.
    ClickAt(Inside());
    EXPECT_EQ(host->commands.size(), 1u);
}

TEST_F(ButtonTest, MovingOutAndBackInStillClicks) {
    Press();
    MoveMouseTo(Outside());
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_NORMAL));
    MoveMouseTo(Inside());
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_PRESSED));
    ReleaseLeftButton();
    ASSERT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(host->commands[0].wParam, 1001u);
}

TEST_F(ButtonTest, IdentifierZeroShowsThePressButSendsNothing) {
    button.Enable("", 0);
    Press();
    EXPECT_EQ(Shown(), LoadBitmapImage(IDB_BUTTON_PRESSED));
    ReleaseLeftButton();
    EXPECT_TRUE(host->commands.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, SecondPressWhileHeldChangesNothing) {
    Press();
    MoveMouseTo(Outside());
    // A stray press message while tracking must not re-arm the click.
    PostMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PumpMessages();
    ReleaseLeftButton();
    EXPECT_TRUE(host->commands.empty());
}

TEST_F(ButtonTest, DisableDuringAPressEndsIt) {
    Press();
    ASSERT_EQ(GetCapture(), button.Handle());
    button.Disable("< 后退");
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(button.Handle()));
    ReleaseLeftButton();
    EXPECT_TRUE(host->commands.empty());
    ClickAt(Inside());
    EXPECT_TRUE(host->commands.empty()) << "a disabled button sends nothing";
    // Enabled again it clicks with its new identifier.
    button.Enable("< 后退", 1005);
    ClickAt(Inside());
    ASSERT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(host->commands[0].wParam, 1005u);
}

TEST_F(ButtonTest, TheParentMayDisableTheButtonWhileHandlingItsClick) {
    host->onCommand = [&](WPARAM) {
        EXPECT_EQ(GetCapture(), button.Handle()) << "still held while the parent acts";
        button.Disable("继续 >");
    };
    ClickAt(Inside());
    EXPECT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
    ClickAt(Inside());
    EXPECT_EQ(host->commands.size(), 1u);
}

TEST_F(ButtonTest, TheParentMayDestroyItselfWhileHandlingTheClick) {
    // As a confirmed Cancel does: the button's window is gone when the send returns.
    host->onCommand = [&](WPARAM) { DestroyWindow(host->Handle()); };
    ClickAt(Inside());
    EXPECT_EQ(host->commands.size(), 1u);
    EXPECT_EQ(button.Handle(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, CaptionsLongerThan127BytesAreCutThere) {
    const std::string longCaption = std::string(127, 'i') + std::string(400, 'W');
    button.Enable(longCaption, 1001);
    EXPECT_EQ(GetWindowTextLengthA(button.Handle()), 527);
    const Image full = Shown();
    button.Enable(longCaption.substr(0, 127), 1001);
    EXPECT_EQ(Shown(), full);
    EXPECT_NE(full, LoadBitmapImage(IDB_BUTTON_NORMAL)) << "the caption is drawn";

    // Double-byte text cut anywhere inside a character still paints and clicks.
    std::string chinese;
    for (int i = 0; i < 300; ++i)
        chinese += "注";
    button.Enable(chinese, 1001);
    EXPECT_NE(Shown(), LoadBitmapImage(IDB_BUTTON_NORMAL));
    ClickAt(Inside());
    EXPECT_EQ(host->commands.size(), 1u);
}

TEST_F(ButtonTest, PaintingManyTimesKeepsTheGdiObjectCount) {
    auto paintAllFaces = [&] {
        button.Enable("继续 >", 1001);
        UpdateWindow(button.Handle());
        Press();
        UpdateWindow(button.Handle());
        ReleaseLeftButton();
        button.Disable("取消");
        UpdateWindow(button.Handle());
    };
    paintAllFaces(); // fonts and DCs cache a few objects on first use
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 30; ++i)
        paintAllFaces();
    EXPECT_EQ(CountGdiObjects(), before);
}

} // namespace
