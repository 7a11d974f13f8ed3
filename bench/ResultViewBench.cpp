// What showing results costs: SetItems, one full repaint of the result view and one
// scroll by a page, with 100 and with 100,000 items on the page. The repaint and the
// scroll should cost the same for both (only the cards in the window are drawn).
// Needs a display: run it through tools/bench.sh.
#include "controls/ResultPage.h"
#include "engine/JobEnumerator.h"
#include "support/HostWindow.h"
#include "support/UserInput.h"
#include "engine/Instance.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

ProblemList MakeItems(size_t count) {
    ProblemList items(count);
    for (size_t i = 0; i < count; ++i) {
        ProblemItem& item = items[i];
        item.rootKey = kRootLocalMachine;
        item.keyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        item.itemName = "Updater" + std::to_string(i);
        item.description = "值无效。";
        item.locationText = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        item.dataText = item.itemName + ": \"C:\\Program Files\\Gone\\updater" + std::to_string(i) +
                        ".exe\" /background";
        item.jobId = static_cast<int32_t>(1 + i % 8);
    }
    return items;
}

// Median of the runs, in milliseconds.
double Median(int runs, const std::function<void()>& before, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        before();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figures {
    double setItems, repaint, scroll;
};

Figures Measure(velk::ResultPage& page, size_t count) {
    ProblemList items = MakeItems(count);
    const HWND view = page.m_ResultView.Handle();
    auto nothing = [] {};
    Figures f;
    f.setItems = Median(5, nothing, [&] { page.SetItems(items); });
    UpdateWindow(page.m_hWndPage);
    PumpMessages(20);
    // Scrolled into the middle, so that the cards above and below are many.
    for (int i = 0; i < 10; ++i)
        SendMessageA(view, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    UpdateWindow(view);
    f.repaint = Median(
        21, [&] { InvalidateRect(view, nullptr, FALSE); }, [&] { UpdateWindow(view); });
    bool down = true; // down and up in turn: every request moves the cards
    f.scroll = Median(
        21, [&] { down = !down; },
        [&] {
            SendMessageA(view, WM_VSCROLL, MAKEWPARAM(down ? SB_PAGEDOWN : SB_PAGEUP, 0), 0);
            UpdateWindow(view);
        });
    return f;
}

} // namespace

int main() {
    g_hInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    JobEnumerator jobs;
    HostWindow host(velk::WizardPage::kWidth, velk::WizardPage::kHeight, 20, 20);
    if (!host.Handle()) {
        std::printf("No display: this benchmark opens windows. Run it through tools/bench.sh.\n");
        return 1;
    }
    velk::ResultPage page;
    page.Create(host.Handle());
    ShowWindow(page.m_hWndPage, SW_SHOW);
    PumpMessages(50);

    Measure(page, 100); // warm-up: fonts, icons, the first window surface
    const Figures small = Measure(page, 100);
    const Figures large = Measure(page, 100000);

    std::printf(
        "Result page, median ms      100 items   100,000 items   ratio   target (100,000)\n");
    std::printf("  SetItems                 %9.3f   %13.3f   %5.1f   <= 50 ms\n", small.setItems,
                large.setItems, large.setItems / small.setItems);
    std::printf("  repaint of the view      %9.3f   %13.3f   %5.2f   <= 16 ms\n", small.repaint,
                large.repaint, large.repaint / small.repaint);
    std::printf("  scroll by a page         %9.3f   %13.3f   %5.2f   <= 16 ms\n", small.scroll,
                large.scroll, large.scroll / small.scroll);
    std::printf(
        "Repaint and scroll draw only the cards in the window: their ratio stays near 1.\n");
    return 0;
}
