#include "controls/GroupView.h"

#include "controls/ResultView.h"
#include "engine/JobEnumerator.h"

#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <memory>
#include <string>
#include <vector>

namespace {

const uint32_t kBackground = Rgb(237, 242, 252);
const uint32_t kHighlight = Rgb(187, 194, 214);
const uint32_t kRootText = Rgb(196, 0, 0);

ProblemItem Item(int32_t jobId, const std::string& name) {
    ProblemItem item;
    item.description = "值无效。";
    item.locationText = name;
    item.dataText = name;
    item.jobId = jobId;
    return item;
}

class GroupViewTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        host = std::make_unique<HostWindow>(690, 396);
        ASSERT_TRUE(host->Handle());
        results.Create(host->Handle(), 264, 0, 426, 396);
        groups.Create(&results, host->Handle(), 0, 0, 264, 396);
        ASSERT_TRUE(groups.Handle());
        PumpMessages();
    }

    std::vector<const ProblemItem*> Shown() const {
        std::vector<const ProblemItem*> shown;
        for (const ViewEntry& entry : results.Entries())
            shown.push_back(entry.item);
        return shown;
    }
    std::vector<const ProblemItem*> Group(size_t index) const {
        const auto& g = groups.Groups().at(index).groupItems;
        return std::vector<const ProblemItem*>(g.begin(), g.end());
    }
    void ClickRow(int x, int y) { ClickAt(ScreenPoint(groups.Handle(), x, y)); }
    Image Painted() { return CaptureClient(groups.Handle()); }

    JobEnumerator jobs;
    ProblemList items;
    ResultView results;
    GroupView groups;
    std::unique_ptr<HostWindow> host;
};

TEST_F(GroupViewTest, CountsEachJobsItemsAndAllOfThemOnce) {
    items = {Item(2, "a"),    Item(7, "b"),      Item(2, "c"),         Item(-1, "nobody"),
             Item(9, "past"), Item(1000, "far"), Item(0, "root's own")};
    groups.BuildGroups(items);
    ASSERT_EQ(groups.Groups().size(), 9u);
    std::vector<const ProblemItem*> all;
    for (const ProblemItem& item : items)
        all.push_back(&item);
    EXPECT_EQ(Group(0), all) << "every item once, in list order, also those of no job";
    EXPECT_EQ(Group(2), (std::vector<const ProblemItem*>{&items[0], &items[2]}));
    EXPECT_EQ(Group(7), (std::vector<const ProblemItem*>{&items[1]}));
    const int counts[9] = {7, 0, 2, 0, 0, 0, 0, 1, 0};
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(groups.Groups()[i].itemCount, counts[i]) << i;
    EXPECT_EQ(groups.RowText(0), "所有项目 (7)");
    EXPECT_EQ(groups.RowText(1), "注册表完整性 (0)");
    EXPECT_EQ(groups.RowText(2), "自定义控制器 (2)");
    EXPECT_EQ(groups.RowText(8), "添加/删除 程序 (0)");
    EXPECT_EQ(groups.SelectedGroup(), 0);
    EXPECT_EQ(Shown(), Group(0));

    // A new list: the old groups go, group 0 is chosen again.
    ClickRow(150, 7 * 32 + 16);
    ASSERT_EQ(groups.SelectedGroup(), 7);
    ProblemList next = {Item(3, "x"), Item(3, "y")};
    groups.BuildGroups(next);
    EXPECT_EQ(groups.SelectedGroup(), 0);
    EXPECT_EQ(Shown(), (std::vector<const ProblemItem*>{&next[0], &next[1]}));
    EXPECT_EQ(groups.RowText(3), "软件位置 (2)");
    EXPECT_EQ(groups.RowText(7), "启动程序 (0)");
    ProblemList none;
    groups.BuildGroups(none);
    EXPECT_EQ(groups.RowText(0), "所有项目 (0)");
    EXPECT_TRUE(results.Entries().empty());
}

TEST_F(GroupViewTest, ClickingARowShowsItsGroupAndNothingElseDoes) {
    items = {Item(2, "a"), Item(7, "b"), Item(2, "c")};
    groups.BuildGroups(items);
    ClickRow(150, 7 * 32 + 16);
    EXPECT_EQ(groups.SelectedGroup(), 7);
    EXPECT_EQ(Shown(), Group(7));
    const Image painted = Painted();
    EXPECT_EQ(painted.At(250, 7 * 32 + 16), kHighlight);
    EXPECT_EQ(painted.At(250, 16), kBackground) << "the highlight left row 0";

    // The left 20 pixels of a job row, below the last row: no row.
    for (POINT p : {POINT{10, 3 * 32 + 16}, POINT{19, 8 * 32}, POINT{150, 9 * 32}, POINT{0, 395}})
        ClickRow(p.x, p.y);
    EXPECT_EQ(groups.SelectedGroup(), 7);
    EXPECT_EQ(Shown(), Group(7));

    ClickRow(150, 5 * 32 + 16); // a group of none
    EXPECT_EQ(groups.SelectedGroup(), 5);
    EXPECT_TRUE(results.Entries().empty());
    EXPECT_EQ(Painted().At(250, 5 * 32 + 16), kHighlight);
    ClickRow(5, 16); // row 0 reaches the left edge
    EXPECT_EQ(Shown(), Group(0));
    ClickRow(20, 2 * 32); // rows own their top and left edges
    EXPECT_EQ(groups.SelectedGroup(), 2);
    ClickRow(263, 2 * 32 - 1);
    EXPECT_EQ(groups.SelectedGroup(), 1);

    // Before any groups exist a click is harmless, and only the background shows.
    GroupView empty;
    empty.Create(&results, host->Handle(), 0, 0, 264, 396);
    ClickAt(ScreenPoint(empty.Handle(), 100, 16));
    EXPECT_EQ(CountColour(CaptureClient(empty.Handle()), kBackground), 264 * 396);
    DestroyWindow(empty.Handle());
}

TEST_F(GroupViewTest, PaintsRowsIconsAndTheHighlight) {
    items = {Item(2, "a"), Item(7, "b")};
    groups.BuildGroups(items);
    const Image shown = Painted();
    ASSERT_EQ(shown.width, 264);
    // Row 0 selected: a black border round the highlight, from the left edge.
    EXPECT_EQ(shown.At(0, 16), Rgb(0, 0, 0));
    EXPECT_EQ(shown.At(263, 16), Rgb(0, 0, 0));
    EXPECT_EQ(shown.At(200, 0), Rgb(0, 0, 0));
    EXPECT_EQ(shown.At(200, 31), Rgb(0, 0, 0));
    EXPECT_EQ(shown.At(250, 16), kHighlight);
    EXPECT_EQ(shown.At(100, 300), kBackground);
    EXPECT_EQ(shown.At(10, 48), kBackground);
    int red = 0, iconPixels = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 32; x < 250; ++x)
            red += shown.At(x, y) == kRootText;
    for (int row = 1; row < 9; ++row) {
        int dark = 0; // the small text is smoothed: few pixels are pure black
        for (int y = 32 * row; y < 32 * row + 32; ++y)
            for (int x = 52; x < 250; ++x)
                dark += (shown.At(x, y) & 0x808080) == 0;
        EXPECT_GT(dark, 10) << "row " << row << " in black";
    }
    for (int i = 0; i < 9; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                iconPixels += shown.At((i ? 20 : 0) + 8 + x, 32 * i + 8 + y) !=
                              (i ? kBackground : kHighlight);
    EXPECT_GT(red, 30) << "所有项目 in red";
    EXPECT_GT(iconPixels, 9 * 60) << "an icon on every row";
}

TEST_F(GroupViewTest, PaintingAndRebuildingKeepTheGdiObjectCount) {
    items = {Item(2, "a"), Item(7, "b"), Item(4, "c")};
    auto round = [&] {
        groups.BuildGroups(items); // loads the nine icons anew
        ClickRow(150, 4 * 32 + 16);
        RedrawWindow(groups.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    round(); // fonts and DCs cache a few objects on first use
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 30; ++i)
        round();
    EXPECT_EQ(CountGdiObjects(), before);
}

} // namespace
