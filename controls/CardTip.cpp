#include "controls/CardTip.h"

#include "controls/Look.h"
#include "controls/ResultView.h"
#include "engine/Instance.h"

#include <commctrl.h>

#include <string>

void CardTip::Create(HWND view) {
    m_hWndView = view;
    m_hWndTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, view, nullptr, g_hInstance, nullptr);
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = view;
    tool.lpszText = const_cast<char*>("");
    GetClientRect(view, &tool.rect);
    SendMessageA(m_hWndTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    // Long texts wrap instead of running off the screen.
    SendMessageA(m_hWndTip, TTM_SETMAXTIPWIDTH, 0, kWidth);
}

void CardTip::Follow(size_t index, const ProblemItem* item, int textRight) {
    if (index == m_card) return;
    m_card = index;
    // An empty text shows no tip.
    const std::string text = item && Cut(*item, textRight) ? ResultView::FullText(*item) : "";
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWndView;
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(m_hWndTip, TTM_POP, 0, 0);
    SendMessageA(m_hWndTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CardTip::Forget() {
    m_card = SIZE_MAX;
    SendMessageA(m_hWndTip, TTM_POP, 0, 0);
}

bool CardTip::Cut(const ProblemItem& item, int textRight) const {
    const WindowDc dc(m_hWndView);
    auto wider = [&](const std::string& text, int width) {
        SIZE size = {};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx > width;
    };
    const velk::Look& look = velk::TheLook();
    SelectedObject font(dc.Get(), look.cardTitleFont.Get());
    if (wider(ResultView::TitleLine(item), textRight - ResultView::kTitleLeft)) return true;
    SelectObject(dc.Get(), look.smallFont.Get());
    return wider(ResultView::ItemLine(item), textRight - ResultView::kLineLeft) ||
           wider(ResultView::ValueLine(item), textRight - ResultView::kLineLeft);
}
