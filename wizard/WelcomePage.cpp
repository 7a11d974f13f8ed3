#include "wizard/WelcomePage.h"

#include "controls/Look.h"
#include "engine/Instance.h"

namespace velk {

namespace {

const RECT kIntroArea = {20, 100, 406, 300};
const RECT kPromptArea = {20, 356, 406, 376};
const RECT kWhiteArea = {0, 0, 426, 396};
const RECT kPanelArea = {426, 0, 690, 396};

} // namespace

LRESULT WelcomePage::OnCreate() {
    m_hWndScan =
        CreateChoice("扫描注册表", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, 60);
    m_hWndRestore = CreateChoice("恢复注册表备份", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 90);
    m_hWndManage = CreateChoice("管理注册表备份", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 120);
    SendMessageA(m_hWndScan, BM_SETCHECK, BST_CHECKED, 0);
    MoveTabStop();
    return 0;
}

LRESULT WelcomePage::OnCommand(int32_t) {
    MoveTabStop(); // a choice was clicked or moved to with the arrows
    return 0;
}

void WelcomePage::MoveTabStop() {
    for (HWND choice : {m_hWndScan, m_hWndRestore, m_hWndManage}) {
        const LONG_PTR style = GetWindowLongPtrA(choice, GWL_STYLE) & ~WS_TABSTOP;
        const bool checked = SendMessageA(choice, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SetWindowLongPtrA(choice, GWL_STYLE, style | (checked ? WS_TABSTOP : 0));
    }
}

HWND WelcomePage::CreateChoice(const char* caption, DWORD style, int y) {
    HWND button = CreateWindowExA(0, "BUTTON", caption, style, 446, y, 200, 20, m_hWndPage, nullptr,
                                  g_hInstance, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(TheLook().textFont.Get()), FALSE);
    return button;
}

LRESULT WelcomePage::OnCtlColorStatic(HDC dc, HWND) {
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kPanelColour);
    return reinterpret_cast<LRESULT>(TheLook().panelBrush.Get());
}

void WelcomePage::Paint(HDC dc, const RECT&) {
    const Look& look = TheLook();
    FillRect(dc, &kWhiteArea, WhiteBrush());
    DrawIconEx(dc, 20, 20, look.bigIcon.Get(), 48, 48, 0, nullptr, DI_NORMAL);

    SelectedObject font(dc, look.textFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT intro = kIntroArea;
    DrawTextA(dc,
              "你可以使用 Velk Tidewell 查找和修复无效的、有害的、降低运行速度的注册表项目。\n\n"
              "使用 Velk Clearway 做的任何改变都可以恢复。",
              -1, &intro, DT_WORDBREAK);
    RECT prompt = kPromptArea;
    DrawTextA(dc, "请选择一个选项或点击“继续”。", -1, &prompt, DT_SINGLELINE);

    FillRect(dc, &kPanelArea, look.panelBrush.Get());
    RECT question = kPanelArea;
    InflateRect(&question, -20, -20);
    SelectedObject boldSelected(dc, look.questionFont.Get());
    DrawTextA(dc, "你希望做什么？", -1, &question, DT_WORDBREAK | DT_BOTTOM);
}

} // namespace velk
