#include "controls/ProgressPage.h"

#include "engine/JobEnumerator.h"
#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/RegistrySandbox.h"
#include "support/StaleEntries.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWaiting = 0, kRunning = 1, kFinished = 2;

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct Row {
    std::string name;
    int image;
    std::string count;
};

// A job the test holds at its start until it is let go or a stop is requested; it
// then reports its items whatever the stop request says, as a job that finishes does.
class GateJob : public velk::Job {
public:
    GateJob(int32_t row, int reports) : m_reports(reports) {
        name = "闸门检查";
        jobId = row;
    }
    void Scan(ScanStatus* status, ProblemList* items) override {
        SetEvent(entered.Get());
        while (!status->stopRequested && WaitForSingleObject(open.Get(), 5) == WAIT_TIMEOUT) {
        }
        for (int i = 0; i < m_reports; ++i) {
            ProblemItem item;
            item.itemName = "gate" + std::to_string(i);
            item.jobId = jobId;
            items->push_back(item);
            ++status->problemCount;
        }
    }
    bool WaitEntered() { return WaitForSingleObject(entered.Get(), 10000) == WAIT_OBJECT_0; }

    KernelHandle entered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle open{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

private:
    int m_reports;
};

class ProgressPageTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(sandbox.Active());
        InitCommonControls();
        host = std::make_unique<HostWindow>(690, 496);
        ASSERT_TRUE(host->Handle());
        // As the frame's handler does, inside the worker's SendMessageA.
        host->onCommand = [this](WPARAM id) {
            ended.push_back(id);
            workerWaitingAtEnd = WaitForSingleObject(page.WorkerThread(), 0) == WAIT_TIMEOUT;
            itemsAtEnd = page.m_FoundItems;
        };
        page.Create(host->Handle());
        ShowWindow(page.m_hWndPage, SW_SHOW);
        PumpMessages();
    }

    // PrepareScan, an optional change to the rows, StartScan, and the end of the scan.
    void Scan(const std::function<void()>& beforeStart = nullptr) {
        ended.clear();
        page.PrepareScan();
        if (beforeStart) beforeStart();
        ASSERT_TRUE(page.StartScan());
        ASSERT_TRUE(PumpUntil([&] { return !ended.empty(); }, 60000)) << "the scan never ended";
    }
    DWORD WorkerExitCode() {
        EXPECT_EQ(WaitForSingleObject(page.WorkerThread(), 5000), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        GetExitCodeThread(page.WorkerThread(), &code);
        return code;
    }
    // Until the timer has shown what the worker left.
    bool Refreshed(int lastRowImage) {
        return PumpUntil(
            [&] { return !TextOf(page.m_hWndStatus).empty() && Rows()[8].image == lastRowImage; },
            3000);
    }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        const HWND list = page.m_hWndJobList;
        const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            Row row;
            char text[256] = {};
            LVITEMA item = {};
            item.mask = LVIF_IMAGE | LVIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            row.name = text;
            row.image = item.iImage;
            char count[32] = {};
            LVITEMA sub = {};
            sub.iSubItem = 1;
            sub.pszText = count;
            sub.cchTextMax = sizeof count;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&sub));
            row.count = count;
            rows.push_back(row);
        }
        return rows;
    }
    int BarPosition() const {
        return static_cast<int>(SendMessageA(page.m_hWndProgress, PBM_GETPOS, 0, 0));
    }
    int BarEnd() const {
        return static_cast<int>(SendMessageA(page.m_hWndProgress, PBM_GETRANGE, FALSE, 0));
    }
    std::map<int32_t, int> CountByJob(const ProblemList& items) const {
        std::map<int32_t, int> counts;
        for (const ProblemItem& item : items)
            ++counts[item.jobId];
        return counts;
    }

    JobEnumerator jobs; // outlives the page, as in the frame
    RegistrySandbox sandbox;
    TestFolder files;
    velk::ProgressPage page;
    std::unique_ptr<HostWindow> host;

    std::vector<WPARAM> ended;
    bool workerWaitingAtEnd = false;
    ProblemList itemsAtEnd;
};

TEST_F(ProgressPageTest, HasItsControlsAndOneWaitingRowPerJobBeforeAScan) {
    struct Expected {
        HWND window;
        const char* className;
        RECT rect;
        bool pageFont;
    } controls[] = {{page.m_hWndTitle, "Static", {30, 30, 660, 45}, true},
                    {page.m_hWndJobList, "SysListView32", {30, 60, 660, 260}, false},
                    {page.m_hWndStatus, "Static", {30, 300, 690, 315}, true},
                    {page.m_hWndProgress, "msctls_progress32", {30, 320, 660, 347}, false}};
    for (const Expected& e : controls) {
        ASSERT_TRUE(e.window) << e.className;
        char name[64] = {};
        GetClassNameA(e.window, name, sizeof name);
        EXPECT_STRCASEEQ(name, e.className);
        EXPECT_EQ(GetParent(e.window), page.m_hWndPage);
        EXPECT_EQ(GetDlgCtrlID(e.window), 0);
        EXPECT_TRUE(IsWindowVisible(e.window));
        RECT r;
        GetWindowRect(e.window, &r);
        MapWindowPoints(nullptr, page.m_hWndPage, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &e.rect))
            << e.className << " at " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(e.window, WM_GETFONT, 0, 0));
        EXPECT_EQ(font == page.m_hFont.Get(), e.pageFont) << e.className;
    }
    EXPECT_EQ(TextOf(page.m_hWndTitle), "Velk Tidewell 正在扫描你的系统，请稍等...");
    EXPECT_EQ(TextOf(page.m_hWndStatus), "");
    EXPECT_TRUE(GetWindowLongA(page.m_hWndJobList, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongA(page.m_hWndJobList, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);

    // Columns split the client width 0.618 to the rest.
    RECT client;
    GetClientRect(page.m_hWndJobList, &client);
    const char* titles[] = {"正在扫描", "问题"};
    const int first = static_cast<int>(client.right * 0.618);
    const int widths[] = {first, client.right - first};
    for (int i = 0; i < 2; ++i) {
        char text[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(
            SendMessageA(page.m_hWndJobList, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, titles[i]);
        EXPECT_EQ(column.cx, widths[i]);
    }
    const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(page.m_hWndJobList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(ImageList_GetImageCount(images), 3);

    page.PrepareScan();
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0].name, "我的电脑");
    int i = 0;
    for (const velk::Job* job : jobs) {
        EXPECT_EQ(rows[i].name, job->name);
        EXPECT_EQ(rows[i].image, kWaiting);
        EXPECT_EQ(rows[i].count, "0");
        ++i;
    }
    EXPECT_EQ(BarEnd(), 9);
    EXPECT_EQ(BarPosition(), 0);
}

TEST_F(ProgressPageTest, AFullScanHandsOverEveryPlantedItemWhileTheWorkerWaits) {
    const std::map<int32_t, int> planted = PlantStaleEntries(files);
    ASSERT_FALSE(planted.empty());
    Scan();
    EXPECT_EQ(ended, std::vector<WPARAM>{1011});
    EXPECT_TRUE(workerWaitingAtEnd) << "the end is sent synchronously";
    EXPECT_EQ(CountByJob(itemsAtEnd), planted);
    for (size_t i = 1; i < itemsAtEnd.size(); ++i)
        EXPECT_LE(itemsAtEnd[i - 1].jobId, itemsAtEnd[i].jobId) << "jobs run in list order";
    for (const ProblemItem& item : itemsAtEnd)
        EXPECT_TRUE(item.selected);
    EXPECT_EQ(WorkerExitCode(), 0u);
    EXPECT_EQ(page.m_nJobsDone, 9);

    // The timer shows every row finished with its own count, the root's "0" first.
    ASSERT_TRUE(Refreshed(kFinished));
    const std::vector<Row> rows = Rows();
    for (int32_t row = 0; row < 9; ++row) {
        EXPECT_EQ(rows[row].image, kFinished) << row;
        const auto found = planted.find(row);
        EXPECT_EQ(rows[row].count, std::to_string(found == planted.end() ? 0 : found->second))
            << rows[row].name;
    }
    EXPECT_EQ(BarPosition(), 9);
    EXPECT_EQ(TextOf(page.m_hWndStatus), "正在扫描：添加/删除 程序");
}

TEST_F(ProgressPageTest, ASecondScanStartsAfreshAndEndsAs1011WithNothingFound) {
    PlantStaleEntries(files);
    Scan();
    ASSERT_FALSE(itemsAtEnd.empty());
    ASSERT_TRUE(Refreshed(kFinished));
    RemoveTree(kRootLocalMachine, "SOFTWARE");
    RemoveTree(kRootCurrentUser, "Software");
    ASSERT_FALSE(KeyExists(kRootLocalMachine, "SOFTWARE"));
    ASSERT_FALSE(KeyExists(kRootCurrentUser, "Software"));

    page.StopTimer();
    page.PrepareScan();
    for (const Row& row : Rows()) {
        EXPECT_EQ(row.image, kWaiting) << row.name;
        EXPECT_EQ(row.count, "0") << row.name;
    }
    EXPECT_TRUE(page.m_FoundItems.empty()) << "the first scan's items are gone";
    EXPECT_EQ(BarPosition(), 0);
    EXPECT_EQ(TextOf(page.m_hWndStatus), "") << "no job of the last scan is shown";

    ASSERT_TRUE(page.StartScan());
    ended.clear();
    ASSERT_TRUE(PumpUntil([&] { return !ended.empty(); }, 60000));
    EXPECT_EQ(ended, std::vector<WPARAM>{1011});
    EXPECT_TRUE(itemsAtEnd.empty());
    ASSERT_TRUE(Refreshed(kFinished));
    for (const Row& row : Rows()) {
        EXPECT_EQ(row.image, kFinished) << row.name;
        EXPECT_EQ(row.count, "0") << row.name;
    }
    EXPECT_EQ(BarPosition(), BarEnd());
}

TEST_F(ProgressPageTest, AStopBeforeTheFirstJobRunsNoJobAndSends1012) {
    PlantStaleEntries(files);
    Scan([&] { page.m_Status.stopRequested = true; });
    EXPECT_EQ(ended, std::vector<WPARAM>{1012});
    EXPECT_TRUE(itemsAtEnd.empty());
    EXPECT_EQ(WorkerExitCode(), 1u);
    EXPECT_EQ(page.m_nJobsDone, 0);
    EXPECT_EQ(page.m_strCurrentJob.load(), nullptr);
    ASSERT_TRUE(Refreshed(kWaiting));
    EXPECT_EQ(TextOf(page.m_hWndStatus), "正在扫描：");
    for (const Row& row : Rows()) {
        EXPECT_EQ(row.image, kWaiting) << row.name;
        EXPECT_EQ(row.count, "0") << row.name;
    }
    EXPECT_EQ(BarPosition(), 0);
}

TEST_F(ProgressPageTest, TheTimerShowsTheRunningJobAndAStopMidwayLeavesTheRestWaiting) {
    PlantStaleEntries(files); // jobs 1, 6 and 7
    GateJob gate(4, 2);
    ended.clear();
    page.PrepareScan();
    page.m_JobRows[4].job = &gate;
    ASSERT_TRUE(page.StartScan());
    ASSERT_TRUE(gate.WaitEntered());

    // Held in job 4: the ticks show it running after four finished rows.
    ASSERT_TRUE(PumpUntil([&] { return Rows()[4].image == kRunning; }, 3000));
    std::vector<Row> rows = Rows();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rows[i].image, kFinished) << i;
    EXPECT_EQ(rows[1].count, "1") << "a finished row shows its count";
    EXPECT_EQ(rows[4].count, "0") << "a running row shows none yet";
    for (int i = 5; i < 9; ++i)
        EXPECT_EQ(rows[i].image, kWaiting) << i;
    EXPECT_EQ(BarPosition(), 4);
    EXPECT_EQ(TextOf(page.m_hWndStatus), "正在扫描：闸门检查");
    EXPECT_TRUE(ended.empty());

    // As the frame does on Cancel; the running job still finishes.
    page.m_Status.stopRequested = true;
    SetEvent(gate.open.Get());
    ASSERT_TRUE(PumpUntil([&] { return !ended.empty(); }, 20000));
    EXPECT_EQ(ended, std::vector<WPARAM>{1012});
    EXPECT_EQ(CountByJob(itemsAtEnd), (std::map<int32_t, int>{{1, 1}, {4, 2}}));
    EXPECT_EQ(WorkerExitCode(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return Rows()[4].image == kFinished; }, 3000));
    rows = Rows();
    EXPECT_EQ(rows[4].image, kFinished);
    EXPECT_EQ(rows[4].count, "2");
    for (int i = 5; i < 9; ++i) {
        EXPECT_EQ(rows[i].image, kWaiting) << i;
        EXPECT_EQ(rows[i].count, "0") << i;
    }
    EXPECT_EQ(BarPosition(), 5);
}

TEST_F(ProgressPageTest, AStopWhileTheLastJobRunsCountsItButSends1012) {
    PlantStaleEntries(files);
    GateJob gate(8, 3);
    ended.clear();
    page.PrepareScan();
    page.m_JobRows[8].job = &gate;
    ASSERT_TRUE(page.StartScan());
    ASSERT_TRUE(gate.WaitEntered());
    page.m_Status.stopRequested = true;
    SetEvent(gate.open.Get());
    ASSERT_TRUE(PumpUntil([&] { return !ended.empty(); }, 20000));
    EXPECT_EQ(ended, std::vector<WPARAM>{1012}) << "not 1011: the stop came during the scan";
    EXPECT_EQ(CountByJob(itemsAtEnd), (std::map<int32_t, int>{{1, 1}, {6, 1}, {7, 2}, {8, 3}}));
    EXPECT_EQ(WorkerExitCode(), 1u);
    ASSERT_TRUE(Refreshed(kFinished));
    EXPECT_EQ(Rows()[8].count, "3");
    EXPECT_EQ(BarPosition(), 9);
}

TEST_F(ProgressPageTest, StopTimerEndsTheRefreshes) {
    Scan();
    ASSERT_TRUE(Refreshed(kFinished));
    // Running, the timer overwrites the status line within a tick...
    SetWindowTextA(page.m_hWndStatus, "x");
    EXPECT_TRUE(PumpUntil([&] { return TextOf(page.m_hWndStatus) != "x"; }, 2000));
    // ...stopped, it leaves it alone.
    page.StopTimer();
    SetWindowTextA(page.m_hWndStatus, "x");
    PumpMessages(1200);
    EXPECT_EQ(TextOf(page.m_hWndStatus), "x");
}

TEST_F(ProgressPageTest, DestroyingAPageThatScansEndsItsWorkerFirst) {
    // With the window that hears the end alive (its message must be answered during
    // the wait) and with it already gone (the message then returns at once).
    for (bool windowFirst : {false, true}) {
        SCOPED_TRACE(windowFirst ? "window destroyed first" : "window alive");
        std::vector<WPARAM> heard;
        auto frame = std::make_unique<HostWindow>(690, 496);
        frame->onCommand = [&](WPARAM id) { heard.push_back(id); };
        auto other = std::make_unique<velk::ProgressPage>();
        other->Create(frame->Handle());
        GateJob gate(2, 1); // let go only by the stop request
        other->PrepareScan();
        other->m_JobRows[2].job = &gate;
        ASSERT_TRUE(other->StartScan());
        ASSERT_TRUE(gate.WaitEntered());
        HANDLE worker = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), other->WorkerThread(), GetCurrentProcess(),
                                    &worker, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
        KernelHandle workerHandle(worker);
        if (windowFirst) frame.reset();
        other.reset();
        EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0) << "the worker still runs";
        DWORD code = STILL_ACTIVE;
        GetExitCodeThread(worker, &code);
        EXPECT_EQ(code, 1u) << "it stopped on request";
        EXPECT_EQ(heard, windowFirst ? std::vector<WPARAM>{} : std::vector<WPARAM>{1012});
    }
}

TEST_F(ProgressPageTest, RepeatedScansAndPaintsLeakNoObjectOrHandle) {
    PlantStaleEntries(files);
    auto round = [&](const std::function<void()>& beforeStart) {
        Scan(beforeStart);
        page.StopTimer();
        SendMessageA(page.m_hWndPage, WM_TIMER, velk::ProgressPage::kTimerId, 0);
        RedrawWindow(page.m_hWndPage, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    round(nullptr); // fonts and DCs cache a few objects on first use
    const int gdiBefore = CountGdiObjects();
    ASSERT_GT(gdiBefore, 0);
    for (int i = 0; i < 10; ++i) {
        // GetProcessHandleCount is a stub in Wine: look at each worker's own handle.
        const HANDLE last = page.WorkerThread();
        DWORD flags = 0;
        ASSERT_TRUE(GetHandleInformation(last, &flags));
        round([&] {
            EXPECT_FALSE(GetHandleInformation(last, &flags)) << "the last worker's handle is kept";
        });
    }
    EXPECT_EQ(CountGdiObjects(), gdiBefore);
}

} // namespace
