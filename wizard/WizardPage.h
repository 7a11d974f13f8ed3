// Base of every page: a hidden 690 x 396 child of the main window, painted off screen,
// whose messages reach the three operations below.
#pragma once

#include <windows.h>

namespace velk {

class WizardPage {
public:
    static constexpr int kTop = 59;
    static constexpr int kWidth = 690;
    static constexpr int kHeight = 396;

    WizardPage() = default;
    // Pages are members of the frame and are never deleted through this base.
    ~WizardPage() = default;
    WizardPage(const WizardPage&) = delete;
    WizardPage& operator=(const WizardPage&) = delete;

    // The page's controls exist when this returns: pages make them on WM_CREATE.
    void Create(HWND parent);

    // Colours of a static, radio button or check box on the page.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control);
    // Draws into the off-screen image; whatever no child covers must be painted.
    virtual void Paint(HDC dc);
    // True when the page handled the message.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWndPage = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaintMessage();
};

} // namespace velk
