// The first page: an introduction, and on a light-blue panel the three choices.
#pragma once

#include "engine/Handles.h"
#include "wizard/WizardPage.h"

namespace velk {

class WelcomePage : public WizardPage {
public:
    static constexpr COLORREF kPanelColour = 0xFCF2ED; // red 237, green 242, blue 252

    // The frame reads the choice from these with BM_GETCHECK.
    HWND m_hWndScan = nullptr;
    HWND m_hWndRestore = nullptr;
    HWND m_hWndManage = nullptr;

private:
    LRESULT OnCreate() override;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void Paint(HDC dc, const RECT& area) override;
    HWND CreateChoice(const char* caption, DWORD style, int y);

    GdiObject m_hFont; // 8-point Tahoma of the choices and the introduction
};

} // namespace velk
