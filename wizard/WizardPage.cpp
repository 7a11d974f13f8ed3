#include "wizard/WizardPage.h"

#include "controls/DoubleBufferedPaint.h"
#include "controls/WindowClass.h"
#include "engine/FatalAssert.h"
#include "wizard/Instance.h"

namespace velk {

namespace {
const char kClassName[] = "wizard_page_class";
} // namespace

void WizardPage::Create(HWND parent) {
    RegisterObjectClass(kClassName, WindowProc);
    m_hWndPage = CreateWindowExA(0, kClassName, nullptr, WS_CHILD, 0, kTop, kWidth, kHeight, parent,
                                 nullptr, g_hInstance, this);
    VELK_ASSERT(m_hWndPage, "WizardPage");
}

HBRUSH WizardPage::OnCtlColor(HDC dc, HWND) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void WizardPage::Paint(HDC) {}

bool WizardPage::HandleMessage(UINT, WPARAM, LPARAM) {
    return false;
}

LRESULT CALLBACK WizardPage::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WizardPage* page = WindowObject<WizardPage>(hwnd, message, lParam);
    if (message == WM_CREATE) {
        // Set before the page makes its controls, so they can be its children.
        if (page) {
            page->m_hWndPage = hwnd;
            page->HandleMessage(WM_CREATE, wParam, lParam);
        }
        return 0;
    }
    if (!page || !page->m_hWndPage)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        page->OnPaintMessage();
        return 0;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            page->OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    }
    const bool handled = page->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        page->m_hWndPage = nullptr; // the page object outlives its window
    return handled ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

void WizardPage::OnPaintMessage() {
    DoubleBufferedPaint paint(m_hWndPage, kWidth, kHeight);
    Paint(paint.Dc());
}

} // namespace velk
