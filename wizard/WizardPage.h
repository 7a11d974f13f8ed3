// Base of every page: a hidden 690 x 396 child of the main window, painted off screen.
#pragma once

#include "controls/WindowClass.h"

#include <windows.h>

namespace velk {

class WizardPage : public ObjectWindow {
public:
    static constexpr int kTop = 59;
    static constexpr int kWidth = 690;
    static constexpr int kHeight = 396;

    // The page's controls exist when this returns: pages make them on WM_CREATE.
    void Create(HWND parent);

    HWND m_hWndPage = nullptr;

protected:
    // Black on white for a static, radio button or check box on the page.
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;

private:
    HWND& HandleSlot() override { return m_hWndPage; }
};

} // namespace velk
