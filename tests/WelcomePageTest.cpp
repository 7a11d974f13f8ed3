#include "wizard/WelcomePage.h"

#include "resources/ResourceIds.h"
#include "wizard/Instance.h"

#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/PageFrame.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <memory>
#include <string>

namespace {

const uint32_t kPanel = Rgb(237, 242, 252);
const uint32_t kWhite = Rgb(255, 255, 255);

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Checked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int DarkPixels(const Image& image, const RECT& area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const uint32_t c = image.At(x, y);
            n += ((c >> 16) & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) < 128;
        }
    return n;
}

class WelcomePageTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(690, 496);
        ASSERT_TRUE(host->Handle());
        page.Create(host->Handle());
        ShowWindow(page.m_hWndPage, SW_SHOW);
        UpdateWindow(page.m_hWndPage);
        PumpMessages();
    }

    Image Shown() { return CaptureClient(page.m_hWndPage); }
    LRESULT ColourRequest(HDC dc, HWND control) {
        return SendMessageA(page.m_hWndPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
    }
    // Where a user clicks a choice: on its round box.
    POINT OnChoice(HWND choice) { return ScreenPoint(choice, 7, 10); }

    velk::WelcomePage page;
    std::unique_ptr<HostWindow> host;
};

TEST_F(WelcomePageTest, HasTheThreeChoicesOnThePanel) {
    struct Expected {
        HWND window;
        const char* caption;
        DWORD style;
        int y;
    } choices[] = {{page.m_hWndScan, "扫描注册表", 0x50020009, 60},
                   {page.m_hWndRestore, "恢复注册表备份", 0x50000009, 90},
                   {page.m_hWndManage, "管理注册表备份", 0x50000009, 120}};
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(page.m_hWndScan, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTA logfont = {};
    GetObjectA(font, sizeof logfont, &logfont);
    EXPECT_STREQ(logfont.lfFaceName, "Tahoma");
    EXPECT_EQ(logfont.lfWeight, FW_NORMAL);
    HDC dc = GetDC(page.m_hWndPage);
    EXPECT_EQ(logfont.lfHeight, -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72));
    ReleaseDC(page.m_hWndPage, dc);

    for (const Expected& e : choices) {
        ASSERT_TRUE(e.window) << e.caption;
        char className[32] = {};
        GetClassNameA(e.window, className, sizeof className);
        EXPECT_STRCASEEQ(className, "BUTTON");
        EXPECT_EQ(GetParent(e.window), page.m_hWndPage);
        EXPECT_EQ(TextOf(e.window), e.caption);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(e.window, GWL_STYLE)) & ~DWORD(WS_TABSTOP),
                  e.style)
            << e.caption;
        EXPECT_EQ(GetDlgCtrlID(e.window), 0);
        RECT r;
        GetWindowRect(e.window, &r);
        MapWindowPoints(nullptr, page.m_hWndPage, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, 446);
        EXPECT_EQ(r.top, e.y);
        EXPECT_EQ(r.right - r.left, 200);
        EXPECT_EQ(r.bottom - r.top, 20);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(e.window, WM_GETFONT, 0, 0)), font);
    }
}

TEST_F(WelcomePageTest, ScanningIsPreselected) {
    EXPECT_TRUE(Checked(page.m_hWndScan));
    EXPECT_FALSE(Checked(page.m_hWndRestore));
    EXPECT_FALSE(Checked(page.m_hWndManage));
}

TEST_F(WelcomePageTest, AClickedChoiceIsTheOnlyOneAndOutlastsHiding) {
    ClickAt(OnChoice(page.m_hWndManage));
    ASSERT_TRUE(Checked(page.m_hWndManage));
    EXPECT_FALSE(Checked(page.m_hWndScan));
    EXPECT_FALSE(Checked(page.m_hWndRestore));
    EXPECT_TRUE(host->commands.empty()) << "the page tells the frame nothing";

    ShowWindow(page.m_hWndPage, SW_HIDE);
    PumpMessages();
    ShowWindow(page.m_hWndPage, SW_SHOW);
    PumpMessages();
    EXPECT_TRUE(Checked(page.m_hWndManage));
    EXPECT_FALSE(Checked(page.m_hWndScan));

    ClickAt(OnChoice(page.m_hWndRestore));
    EXPECT_TRUE(Checked(page.m_hWndRestore));
    EXPECT_FALSE(Checked(page.m_hWndManage));
}

TEST_F(WelcomePageTest, EveryColourRequestGetsTheSamePanelBrush) {
    HDC dc = GetDC(page.m_hWndScan);
    const LRESULT first = ColourRequest(dc, page.m_hWndScan);
    ASSERT_NE(first, 0);
    LOGBRUSH brush = {};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HBRUSH>(first), sizeof brush, &brush));
    EXPECT_EQ(brush.lbStyle, UINT(BS_SOLID));
    EXPECT_EQ(brush.lbColor, COLORREF(0xFCF2ED));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), COLORREF(0xFCF2ED));
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(page.m_hWndPage, nullptr, FALSE);
        UpdateWindow(page.m_hWndPage);
        EXPECT_EQ(ColourRequest(dc, page.m_hWndRestore), first);
        EXPECT_EQ(ColourRequest(dc, page.m_hWndManage), first);
    }
    ReleaseDC(page.m_hWndScan, dc);
}

TEST_F(WelcomePageTest, PaintsTheIntroductionAndThePanel) {
    const Image shown = Shown();
    ASSERT_EQ(shown.width, 690);
    ASSERT_EQ(shown.height, 396);
    // White on the left, the panel colour on the right, every pixel painted.
    EXPECT_EQ(shown.At(5, 5), kWhite);
    EXPECT_EQ(shown.At(420, 390), kWhite);
    EXPECT_EQ(shown.At(430, 5), kPanel);
    EXPECT_EQ(shown.At(685, 390), kPanel);
    EXPECT_EQ(shown.At(446 + 210, 200), kPanel);
    // The icon, the introduction, the prompt and the question are drawn.
    EXPECT_GT(shown.pixels.size() - CountColour(shown, kWhite) - CountColour(shown, kPanel), 0u);
    int iconPixels = 0;
    for (int y = 20; y < 68; ++y)
        for (int x = 20; x < 68; ++x)
            iconPixels += shown.At(x, y) != kWhite;
    EXPECT_GT(iconPixels, 48 * 48 / 3) << "icon 107 at (20, 20)";
    EXPECT_GT(DarkPixels(shown, RECT{20, 100, 406, 130}), 100) << "introduction";
    EXPECT_GT(DarkPixels(shown, RECT{20, 356, 406, 376}), 50) << "prompt";
    EXPECT_GT(DarkPixels(shown, RECT{446, 20, 670, 40}), 50) << "question";
    EXPECT_EQ(DarkPixels(shown, RECT{20, 310, 406, 350}), 0);
}

// For people: the page with the header, footer and buttons the frame puts around it.
TEST_F(WelcomePageTest, WritesAScreenshot) {
    PageFrame frame(host->Handle());
    frame.back.Disable("< 后退");
    frame.next.Enable("继续 >", 1001);
    frame.cancel.Enable("取消", 1200);
    const Image framed = CaptureClient(host->Handle());
    EXPECT_EQ(framed.At(300, 10), LoadBitmapImage(IDB_HEADER).At(300, 10));
    const std::string path = SaveScreenshot(framed, "welcome_page");
    EXPECT_FALSE(path.empty());
    DestroyWindow(host->Handle());
}

TEST_F(WelcomePageTest, PaintingManyTimesKeepsTheGdiObjectCount) {
    auto paint = [&] {
        InvalidateRect(page.m_hWndPage, nullptr, FALSE);
        RedrawWindow(page.m_hWndPage, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    paint();
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 40; ++i)
        paint();
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(WelcomePageTest, ASecondPageHasItsOwnWindowAndControls) {
    velk::WelcomePage second;
    second.Create(host->Handle());
    ASSERT_TRUE(second.m_hWndPage);
    EXPECT_NE(second.m_hWndPage, page.m_hWndPage);
    EXPECT_TRUE(second.m_hWndScan);
    EXPECT_NE(second.m_hWndScan, page.m_hWndScan);
    EXPECT_TRUE(Checked(second.m_hWndScan));
    DestroyWindow(second.m_hWndPage);
}

} // namespace
