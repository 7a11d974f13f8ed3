#include "controls/ResultPage.h"

#include "engine/JobEnumerator.h"
#include "wizard/Instance.h"

#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/PageFrame.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <memory>
#include <string>

namespace {

ProblemItem Item(int32_t jobId, const char* description, const std::string& location,
                 const std::string& data) {
    ProblemItem item;
    item.rootKey = kRootLocalMachine;
    item.description = description;
    item.locationText = location;
    item.dataText = data;
    item.jobId = jobId;
    return item;
}

// What a scan of a neglected machine finds, a few of each kind.
ProblemList Planted() {
    const std::string run = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string fonts =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    ProblemList items = {
        Item(2, "无效的类", "HKEY_CLASSES_ROOT\\CLSID\\{0A1B2C3D-0000-4000-8000-00000000AB01}",
             "C:\\Program Files\\旧工具\\toolbar.dll"),
        Item(3, "无效的应用程序路径",
             "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\old.exe",
             "C:\\Old\\old.exe"),
        Item(4, "字体文件不存在", fonts, "Gone Sans (TrueType): gonesans.ttf"),
        Item(7, "值无效。", run, "Updater: \"C:\\Program Files\\Gone\\updater.exe\" /background"),
        Item(7, "值无效。", run, "Tray: C:\\Tools\\tray.exe"),
        Item(8, "无效的卸载项",
             "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
             "\\Uninstall\\Gone Player",
             "UninstallString: C:\\Program Files\\Gone Player\\uninst.exe"),
    };
    for (int i = 0; i < 10; ++i)
        items.push_back(Item(6, "共享文件不存在",
                             "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                             "SharedDLLs",
                             "C:\\Program Files\\Common Files\\gone" + std::to_string(i) + ".dll"));
    return items;
}

class ResultPageTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(690, 496);
        ASSERT_TRUE(host->Handle());
        page.Create(host->Handle());
        ASSERT_TRUE(page.m_hWndPage);
        items = Planted();
        // As the frame enters the page: the list first, then the page shown.
        page.SetItems(items);
        ShowWindow(page.m_hWndPage, SW_SHOW);
        UpdateWindow(page.m_hWndPage);
        PumpMessages();
    }

    HWND Results() const { return page.m_ResultView.Handle(); }
    HWND Groups() const { return page.m_GroupView.Handle(); }
    void ClickGroup(int row) { ClickAt(ScreenPoint(Groups(), 150, 32 * row + 16)); }
    void ClickTick(int card) {
        ClickAt(ScreenPoint(Results(), 17, 60 * card + 17 - page.m_ResultView.ScrollPos()));
    }
    void Scroll(WORD request) { SendMessageA(Results(), WM_VSCROLL, MAKEWPARAM(request, 0), 0); }

    JobEnumerator jobs;
    ProblemList items;
    velk::ResultPage page;
    std::unique_ptr<HostWindow> host;
};

TEST_F(ResultPageTest, HoldsTheGroupsLeftAndTheCardsRight) {
    struct Pane {
        HWND window;
        const char* className;
        DWORD style;
        RECT place;
    } panes[] = {
        {Groups(), "group_view_class", WS_CHILD | WS_VISIBLE, {0, 0, 264, 396}},
        {Results(), "result_view_class", WS_CHILD | WS_VISIBLE | WS_VSCROLL, {264, 0, 690, 396}}};
    for (const Pane& pane : panes) {
        ASSERT_TRUE(pane.window) << pane.className;
        char className[64] = {};
        GetClassNameA(pane.window, className, sizeof className);
        EXPECT_STREQ(className, pane.className);
        EXPECT_EQ(GetParent(pane.window), page.m_hWndPage);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(pane.window, GWL_STYLE)), pane.style);
        RECT r;
        GetWindowRect(pane.window, &r);
        MapWindowPoints(nullptr, page.m_hWndPage, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &pane.place)) << pane.className;
    }
}

TEST_F(ResultPageTest, ShowsEveryItemFromTheTopAndEveryChoiceStartsThere) {
    EXPECT_EQ(page.m_GroupView.SelectedGroup(), 0);
    ASSERT_EQ(page.m_ResultView.Entries().size(), items.size());
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(page.m_ResultView.Entries()[i].item, &items[i]);
    EXPECT_EQ(page.m_GroupView.RowText(0), "所有项目 (16)");
    EXPECT_EQ(page.m_GroupView.RowText(6), "共享程序 (10)");

    ClickGroup(7);
    ASSERT_EQ(page.m_ResultView.Entries().size(), 2u);
    ClickTick(1);
    EXPECT_FALSE(items[4].selected) << "the tick is the list's own";
    ClickGroup(0);
    Scroll(SB_BOTTOM);
    ASSERT_GT(page.m_ResultView.ScrollPos(), 0);
    ClickGroup(6);
    EXPECT_EQ(page.m_ResultView.ScrollPos(), 0);
    EXPECT_EQ(GetScrollPos(Results(), SB_VERT), 0);

    // Leaving the page and coming back with a second scan's results.
    Scroll(SB_PAGEDOWN);
    ShowWindow(page.m_hWndPage, SW_HIDE);
    ProblemList second = Planted();
    second.resize(12);
    page.SetItems(second);
    ShowWindow(page.m_hWndPage, SW_SHOW);
    PumpMessages();
    EXPECT_EQ(page.m_GroupView.SelectedGroup(), 0);
    EXPECT_EQ(page.m_ResultView.ScrollPos(), 0);
    EXPECT_EQ(GetScrollPos(Results(), SB_VERT), 0);
    EXPECT_EQ(page.m_ResultView.Entries().front().item, &second[0]);
    EXPECT_EQ(page.m_GroupView.RowText(0), "所有项目 (12)");
}

// For people: the page with the header, footer and buttons the frame puts around it.
TEST_F(ResultPageTest, WritesAScreenshot) {
    items[1].selected = false;
    items[4].selected = false;
    PageFrame frame(host->Handle());
    frame.back.Enable("< 后退", 1005);
    frame.next.Enable("修复", 1006);
    frame.cancel.Enable("取消", 1200);
    const Image framed = CaptureClient(host->Handle());
    EXPECT_EQ(framed.At(100, 59 + 380), Rgb(237, 242, 252));
    const std::string path = SaveScreenshot(framed, "result_page");
    EXPECT_FALSE(path.empty());
    DestroyWindow(host->Handle());
}

} // namespace
