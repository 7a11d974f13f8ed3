#include "controls/ProgressPage.h"

#include "controls/ListView.h"
#include "controls/Look.h"
#include "engine/JobEnumerator.h"
#include "resources/ResourceIds.h"
#include "engine/Instance.h"

#include <commctrl.h>

#include <cstdio>

namespace velk {

namespace {

constexpr WPARAM kScanFinished = 1011;
constexpr WPARAM kScanStopped = 1012;

void SetRowCount(HWND list, int row, int32_t count) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(count));
    SetCellText(list, row, 1, text);
}

} // namespace

ProgressPage::~ProgressPage() {
    EndScan();
}

void ProgressPage::Paint(HDC dc, const RECT& area) {
    FillRect(dc, &area, WhiteBrush());
}

HWND ProgressPage::CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle,
                               int x, int y, int width, int height) {
    return CreateWindowExA(exStyle, className, text, style, x, y, width, height, m_hWndPage,
                           nullptr, g_hInstance, nullptr);
}

LRESULT ProgressPage::OnCreate() {
    const DWORD visibleChild = WS_CHILD | WS_VISIBLE;
    m_hWndProgress = CreateChild(PROGRESS_CLASSA, nullptr, visibleChild, 0, 30, 320, 630, 27);

    const WPARAM font = reinterpret_cast<WPARAM>(TheLook().textFont.Get());

    m_hWndTitle = CreateChild("STATIC", "Velk Tidewell 正在扫描你的系统，请稍等...", visibleChild,
                              0, 30, 30, 630, 15);
    SendMessageA(m_hWndTitle, WM_SETFONT, font, FALSE);
    m_hWndStatus = CreateChild("STATIC", "", visibleChild, 0, 30, 300, 660, 15);
    SendMessageA(m_hWndStatus, WM_SETFONT, font, FALSE);
    m_hWndJobList = CreateChild(WC_LISTVIEWA, "", visibleChild | LVS_REPORT, WS_EX_CLIENTEDGE, 30,
                                60, 630, 200);

    // The index is the row's state.
    GiveImageList(m_hWndJobList,
                  MakeImageList({IDI_STATE_WAITING, IDI_STATE_RUNNING, IDI_STATE_FINISHED}));

    RECT client = {};
    GetClientRect(m_hWndJobList, &client);
    const int width = client.right - client.left;
    const int first = static_cast<int>(width * 0.618);
    const char* const titles[] = {"正在扫描", "问题"};
    const int widths[] = {first, width - first};
    for (int i = 0; i < 2; ++i)
        AddColumn(m_hWndJobList, i, titles[i], widths[i]);
    return 0;
}

void ProgressPage::PrepareScan() {
    // The last worker has sent its final message already; it may still be returning.
    WaitForWorker();
    m_Status.problemCount = 0;
    m_Status.stopRequested = false;
    m_strCurrentJob = nullptr;
    m_nJobsDone = 0;
    m_FoundItems.clear();
    m_JobRows.clear();
    for (const auto& job : *JobEnumerator::mSingleton)
        m_JobRows.emplace_back(job.get());

    const int rows = static_cast<int>(m_JobRows.size());
    SendMessageA(m_hWndProgress, PBM_SETRANGE, 0, MAKELPARAM(0, rows));
    SendMessageA(m_hWndProgress, PBM_SETPOS, 0, 0);
    SendMessageA(m_hWndProgress, PBM_SETSTEP, 1, 0);
    // Not the last scan's job: the line is empty until the first refresh.
    SetWindowTextA(m_hWndStatus, "");

    RemoveRows(m_hWndJobList);
    for (int i = 0; i < rows; ++i) {
        InsertRow(m_hWndJobList, i, m_JobRows[i].job->name.c_str(), m_JobRows[i].state);
        SetRowCount(m_hWndJobList, i, 0);
    }
}

bool ProgressPage::StartScan() {
    m_hWndFrame = GetParent(m_hWndPage);
    SetTimer(m_hWndPage, kTimerId, kRefreshMilliseconds, nullptr);
    m_hThread.Reset(CreateThread(nullptr, 0, ScanThread, this, 0, nullptr));
    if (!m_hThread) {
        // No worker will ever report: end the scan as stopped rather than wait forever.
        PostMessageA(m_hWndFrame, WM_COMMAND, kScanStopped, 0);
        return false;
    }
    return true;
}

void ProgressPage::StopTimer() {
    KillTimer(m_hWndPage, kTimerId);
}

void ProgressPage::EndScan() {
    if (!m_hThread) return;
    m_Status.stopRequested = true;
    WaitForWorker();
}

void ProgressPage::WaitForWorker() {
    if (!m_hThread) return;
    // Not a plain wait: the worker ends inside a SendMessageA to this thread, which
    // returns only while this thread takes sent messages.
    const HANDLE thread = m_hThread.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_hThread.Reset();
}

DWORD WINAPI ProgressPage::ScanThread(LPVOID page) {
    return static_cast<ProgressPage*>(page)->RunJobs();
}

DWORD ProgressPage::RunJobs() {
    for (JobProgress& row : m_JobRows) {
        if (m_Status.stopRequested) break;
        m_Status.problemCount = 0;
        m_strCurrentJob = &row.job->name;
        row.state = JobProgress::kRunning;
        row.job->Scan(&m_Status, &m_FoundItems);
        ++m_nJobsDone;
        // The count before the state, so a finished row never shows a stale count.
        row.problems = m_Status.problemCount;
        row.state = JobProgress::kFinished;
    }
    // Also a stop that came while the last job ran.
    const bool stopped = m_Status.stopRequested;
    const HWND frame = m_hWndFrame;
    // The frame takes the items while this waits; nothing of the page is touched after.
    SendMessageA(frame, WM_COMMAND, stopped ? kScanStopped : kScanFinished, 0);
    return stopped ? 1 : 0;
}

LRESULT ProgressPage::OnTimer(UINT_PTR) {
    SendMessageA(m_hWndProgress, PBM_SETPOS, static_cast<WPARAM>(m_nJobsDone.load()), 0);
    const std::string* job = m_strCurrentJob;
    char status[256];
    std::snprintf(status, sizeof status, "正在扫描：%s", job ? job->c_str() : "");
    SetWindowTextA(m_hWndStatus, status);
    for (size_t i = 0; i < m_JobRows.size(); ++i) {
        const int row = static_cast<int>(i);
        SetRowImage(m_hWndJobList, row, m_JobRows[i].state);
        SetRowCount(m_hWndJobList, row, m_JobRows[i].problems);
    }
    return 0;
}

} // namespace velk
