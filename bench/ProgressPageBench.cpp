// The progress page's refresh tick with the nine job rows, against a baseline of
// redrawing the same page when nothing changed. Needs a display (Xvfb); prints
// figures and asserts nothing.
#include "controls/ProgressPage.h"
#include "engine/JobEnumerator.h"
#include "support/HostWindow.h"
#include "support/UserInput.h"
#include "engine/Instance.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median and the slowest of rounds runs of what, in microseconds.
struct Figures {
    double median, worst;
};
Figures Measure(int rounds, const std::function<void()>& what) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const double start = Now();
        what();
        times.push_back((Now() - start) * 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;
    g_hInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    JobEnumerator jobs;
    HostWindow host(690, 496);
    if (!host.Handle()) {
        std::fprintf(stderr, "no display: run this under an X server (Xvfb)\n");
        return 1;
    }
    velk::ProgressPage page;
    page.Create(host.Handle());
    ShowWindow(page.m_hWndPage, SW_SHOW);
    page.PrepareScan();
    PumpMessages(200);

    // Mid-scan: four rows finished with counts, one running, four waiting.
    for (int i = 0; i < 4; ++i) {
        page.m_JobRows[i].problems = 1000 * i;
        page.m_JobRows[i].state = velk::JobProgress::kFinished;
    }
    page.m_JobRows[4].state = velk::JobProgress::kRunning;
    page.m_strCurrentJob = &page.m_JobRows[4].job->name;
    page.m_nJobsDone = 4;

    const HWND window = page.m_hWndPage;
    auto tick = [&] { SendMessageA(window, WM_TIMER, velk::ProgressPage::kTimerId, 0); };
    auto redraw = [&] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    auto repaintOnly = [&] {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    for (int i = 0; i < 20; ++i) { // warm-up: fonts, image list, caches
        tick();
        redraw();
    }
    PumpMessages(100);

    const Figures tickOnly = Measure(rounds, tick);
    const Figures tickAndPaint = Measure(rounds, [&] {
        tick();
        repaintOnly(); // what the tick invalidated
    });
    const Figures baseline = Measure(rounds, redraw);

    std::printf("progress page refresh tick, 9 rows, %d rounds (median / slowest, microseconds)\n",
                rounds);
    std::printf("  tick (messages to the bar, status line and list)  %8.1f / %8.1f\n",
                tickOnly.median, tickOnly.worst);
    std::printf("  tick and the repaint it causes                    %8.1f / %8.1f\n",
                tickAndPaint.median, tickAndPaint.worst);
    std::printf("  baseline: full repaint of the unchanged page      %8.1f / %8.1f\n",
                baseline.median, baseline.worst);
    std::printf("  tick and repaint / baseline                       %8.2f\n",
                tickAndPaint.median / baseline.median);
    std::printf("  share of the 500 ms interval                      %8.3f %%\n",
                tickAndPaint.median / 5000.0);
    return 0;
}
