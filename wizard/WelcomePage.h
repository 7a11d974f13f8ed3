// The first page: an introduction, and on a light-blue panel the three choices.
#pragma once

#include "wizard/WizardPage.h"

namespace velk {

class WelcomePage : public WizardPage {
public:
    // The frame reads the choice from these with BM_GETCHECK.
    HWND m_hWndScan = nullptr;
    HWND m_hWndRestore = nullptr;
    HWND m_hWndManage = nullptr;

private:
    LRESULT OnCreate() override;
    LRESULT OnCommand(int32_t id) override;
    // Tab lands on the checked choice, as in a dialog.
    void MoveTabStop();
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void Paint(HDC dc, const RECT& area) override;
    HWND CreateChoice(const char* caption, DWORD style, int y);
};

} // namespace velk
