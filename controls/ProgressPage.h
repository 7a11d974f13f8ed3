// The page shown while the registry is scanned: one row per job, the job that runs
// now and a progress bar, refreshed twice a second from what a worker thread writes.
#pragma once

#include "engine/Handles.h"
#include "engine/Job.h"
#include "wizard/WizardPage.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace velk {

// One row of the job list. The worker writes the counters while the timer reads them.
struct JobProgress {
    static constexpr int32_t kWaiting = 0;
    static constexpr int32_t kRunning = 1;
    static constexpr int32_t kFinished = 2; // also the index of the row's icon

    explicit JobProgress(Job* rowJob) : job(rowJob) {}
    JobProgress(const JobProgress& other)
        : job(other.job), problems(other.problems.load()), state(other.state.load()) {}
    JobProgress& operator=(const JobProgress&) = delete;

    Job* job;
    std::atomic<int32_t> problems{0}; // 0 until the job has finished
    std::atomic<int32_t> state{kWaiting};
};

class ProgressPage : public WizardPage {
public:
    static constexpr UINT_PTR kTimerId = 1011;
    static constexpr UINT kRefreshMilliseconds = 500;

    ProgressPage() = default;
    // A scan still running is stopped and has ended before the page goes.
    ~ProgressPage();

    // Counters, found items, rows and progress bar back to the start of a scan.
    void PrepareScan();
    // The refresh timer, then the worker; the worker's last act is a WM_COMMAND of
    // 1011 (every job ran) or 1012 (stopped) sent to the page's parent.
    bool StartScan();
    void StopTimer();
    // Asks a running worker to stop and waits until it has ended, answering the
    // message it sends meanwhile. Returns at once when no worker is left.
    void EndScan();
    // The worker of the last scan; null before the first and after EndScan.
    HANDLE WorkerThread() const { return m_hThread.Get(); }

    HWND m_hWndProgress = nullptr;
    ScanStatus m_Status;
    // The name of the running job, published whole: it points at the job's own name,
    // which no one changes during a scan. Null before the first job.
    std::atomic<const std::string*> m_strCurrentJob{nullptr};
    std::atomic<int32_t> m_nJobsDone{0};
    ProblemList m_FoundItems;
    std::vector<JobProgress> m_JobRows;
    HWND m_hWndTitle = nullptr;
    HWND m_hWndStatus = nullptr;
    HWND m_hWndJobList = nullptr;

private:
    LRESULT OnCreate() override;
    // What one timer tick does.
    LRESULT OnTimer(UINT_PTR id) override;
    void Paint(HDC dc, const RECT& area) override;
    static DWORD WINAPI ScanThread(LPVOID page);
    DWORD RunJobs();
    HWND CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle, int x,
                     int y, int width, int height);
    void WaitForWorker();

    HWND m_hWndFrame = nullptr; // where the worker reports the end of the scan
    KernelHandle m_hThread;
};

} // namespace velk
