#include "wizard/WizardPage.h"

#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <memory>
#include <vector>

namespace {

// A page that records what reaches it and paints itself one colour.
class RecordingPage : public velk::WizardPage {
public:
    void Paint(HDC dc) override {
        ++paints;
        paintDcType = GetObjectType(dc);
        BITMAP bitmap = {};
        GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap);
        paintSize = SIZE{bitmap.bmWidth, bitmap.bmHeight};
        RECT all = {0, 0, kWidth, kHeight};
        HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE)
            handleAtCreate = m_hWndPage;
        messages.push_back(message);
        if (message == WM_TIMER)
            return handleTimer;
        return WizardPage::HandleMessage(message, wParam, lParam);
    }
    int Count(UINT message) const {
        int n = 0;
        for (UINT m : messages)
            n += m == message;
        return n;
    }

    std::vector<UINT> messages;
    HWND handleAtCreate = nullptr;
    bool handleTimer = true;
    int paints = 0;
    DWORD paintDcType = 0;
    SIZE paintSize = {};
};

class WizardPageTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(690, 496);
        ASSERT_TRUE(host->Handle());
    }

    RecordingPage page;
    velk::WizardPage plain;
    std::unique_ptr<HostWindow> host;
};

TEST_F(WizardPageTest, MakesAHiddenChildOverThePageArea) {
    EXPECT_EQ(page.m_hWndPage, nullptr);
    page.Create(host->Handle());
    ASSERT_TRUE(page.m_hWndPage);
    char className[64] = {};
    GetClassNameA(page.m_hWndPage, className, sizeof className);
    EXPECT_STREQ(className, "wizard_page_class");
    EXPECT_EQ(GetParent(page.m_hWndPage), host->Handle());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(page.m_hWndPage, GWL_STYLE)), DWORD(WS_CHILD));
    EXPECT_FALSE(IsWindowVisible(page.m_hWndPage));
    RECT r;
    GetWindowRect(page.m_hWndPage, &r);
    MapWindowPoints(nullptr, host->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 59);
    EXPECT_EQ(r.right, 690);
    EXPECT_EQ(r.bottom, 455);
}

TEST_F(WizardPageTest, RoutesMessagesToThePage) {
    page.Create(host->Handle());
    EXPECT_EQ(page.Count(WM_CREATE), 1);
    EXPECT_EQ(page.handleAtCreate, page.m_hWndPage) << "controls are made with a valid parent";
    EXPECT_EQ(SendMessageA(page.m_hWndPage, WM_TIMER, 7, 0), 0);
    EXPECT_EQ(page.Count(WM_TIMER), 1);
    // Unhandled messages get the default answer: WM_GETTEXTLENGTH of an untitled window.
    page.handleTimer = false;
    EXPECT_EQ(SendMessageA(page.m_hWndPage, WM_TIMER, 7, 0), 0);
    EXPECT_EQ(SendMessageA(page.m_hWndPage, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(page.Count(WM_GETTEXTLENGTH), 1);
    EXPECT_EQ(page.Count(WM_PAINT), 0) << "painting does not go through HandleMessage";
}

TEST_F(WizardPageTest, PaintsThroughAnOffScreenImageOfThePageSize) {
    page.Create(host->Handle());
    ShowWindow(page.m_hWndPage, SW_SHOW);
    UpdateWindow(page.m_hWndPage);
    ASSERT_GE(page.paints, 1);
    EXPECT_EQ(page.paintDcType, DWORD(OBJ_MEMDC));
    EXPECT_EQ(page.paintSize.cx, 690);
    EXPECT_EQ(page.paintSize.cy, 396);
    const Image shown = CaptureWindow(page.m_hWndPage, RECT{0, 0, 690, 396});
    EXPECT_EQ(CountColour(shown, Rgb(10, 200, 30)), 690 * 396);
}

TEST_F(WizardPageTest, BaseColoursAreBlackOnWhite) {
    plain.Create(host->Handle());
    HWND label = CreateWindowExA(0, "STATIC", "x", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                 plain.m_hWndPage, nullptr, nullptr, nullptr);
    HDC dc = GetDC(label);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    const LRESULT brush =
        SendMessageA(plain.m_hWndPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    ReleaseDC(label, dc);
}

TEST_F(WizardPageTest, EveryPageRegistersTheClassAgainHarmlessly) {
    plain.Create(host->Handle());
    page.Create(host->Handle());
    velk::WizardPage third;
    third.Create(host->Handle());
    EXPECT_TRUE(plain.m_hWndPage);
    EXPECT_TRUE(page.m_hWndPage);
    EXPECT_TRUE(third.m_hWndPage);
    EXPECT_NE(plain.m_hWndPage, page.m_hWndPage);
    DestroyWindow(third.m_hWndPage);
}

TEST_F(WizardPageTest, APageWithoutItsWindowGetsNothingMore) {
    page.Create(host->Handle());
    DestroyWindow(host->Handle());
    EXPECT_EQ(page.m_hWndPage, nullptr);
    EXPECT_EQ(page.Count(WM_DESTROY), 1);
}

} // namespace
