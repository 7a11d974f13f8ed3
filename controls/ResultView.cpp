#include "controls/ResultView.h"

#include "controls/ListView.h"
#include "controls/Look.h"
#include "resources/ResourceIds.h"
#include "engine/Instance.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace {

const char kClassName[] = "result_view_class";

// Registry texts may hold '&': shown as stored, never as a mnemonic. A cut path keeps
// its last part.
const UINT kTitleFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
const UINT kLineFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS;

void DrawLine(HDC dc, const std::string& text, RECT area, UINT format) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
}

} // namespace

void ResultView::Create(HWND parent, int x, int y, int width, int height) {
    m_textRight = width - 9;
    CreateObjectWindow(kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP, x, y,
                       width, height, parent);
    // Empty until the first group arrives: nothing to scroll yet.
    LayoutItems();
}

void ResultView::ClearItems() {
    m_entries.clear();
}

void ResultView::AddItem(ProblemItem* item) {
    m_entries.push_back(ViewEntry{item, RECT{0, 0, 0, 0}});
}

void ResultView::LayoutItems() {
    RECT client = {};
    GetClientRect(m_hWndView, &client);
    int32_t top = 0;
    for (ViewEntry& entry : m_entries) {
        entry.rect = RECT{0, top, client.right, top + kCardHeight};
        top += kCardHeight;
    }
    m_scrollPos = 0;
    m_contentHeight = top;
    m_focusedCard = 0;
    m_tip.Forget();
    if (m_contentHeight < client.bottom) {
        EnableScrollBar(m_hWndView, SB_VERT, ESB_DISABLE_BOTH);
    } else {
        EnableScrollBar(m_hWndView, SB_VERT, ESB_ENABLE_BOTH);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = m_contentHeight - 1; // the last position, not one past it
        info.nPage = static_cast<UINT>(client.bottom);
        info.nPos = 0;
        SetScrollInfo(m_hWndView, SB_VERT, &info, TRUE);
    }
    InvalidateRect(m_hWndView, nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWndView, OBJID_CLIENT, CHILDID_SELF);
}

std::string ResultView::TitleLine(const ProblemItem& item) {
    return item.foreign ? "这不是本程序清理的位置，不会恢复。" : item.description;
}

std::string ResultView::ItemLine(const ProblemItem& item) {
    if (!item.foreign) return "项目：" + item.locationText;
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(item.rootKey));
    const char* root = RootName(item.rootKey);
    return "项目：" + std::string(root ? root : number) + "\\" + item.keyPath;
}

std::string ResultView::ValueLine(const ProblemItem& item) {
    return item.foreign ? "名称：" + item.itemName : "值：" + item.dataText;
}

std::string ResultView::FullText(const ProblemItem& item) {
    return TitleLine(item) + "\n" + ItemLine(item) + "\n" + ValueLine(item);
}

LRESULT ResultView::OnDestroy() {
    m_hImageList.Reset();
    return 0;
}

velk::AccessiblePart ResultView::DescribePart(LONG child) const {
    velk::AccessiblePart part;
    const bool focused = GetFocus() == m_hWndView;
    part.state = STATE_SYSTEM_FOCUSABLE;
    GetClientRect(m_hWndView, &part.bounds);
    if (child == CHILDID_SELF) {
        part.role = ROLE_SYSTEM_LIST;
        part.state |= focused ? STATE_SYSTEM_FOCUSED : 0;
        return part;
    }
    const RECT client = part.bounds;
    const ViewEntry& entry = m_entries[static_cast<size_t>(child - 1)];
    const ProblemItem& item = *entry.item;
    part.name = TitleLine(item);
    part.description = ItemLine(item) + "\n" + ValueLine(item);
    part.role = ROLE_SYSTEM_CHECKBUTTON;
    part.bounds = entry.rect;
    OffsetRect(&part.bounds, 0, -m_scrollPos);
    RECT shown = {};
    if (!IntersectRect(&shown, &part.bounds, &client)) part.state |= STATE_SYSTEM_OFFSCREEN;
    if (item.selected) part.state |= STATE_SYSTEM_CHECKED;
    if (focused && static_cast<size_t>(child - 1) == m_focusedCard)
        part.state |= STATE_SYSTEM_FOCUSED;
    // A foreign record's box is drawn but does nothing.
    if (item.foreign)
        part.state |= STATE_SYSTEM_UNAVAILABLE;
    else
        part.defaultAction = item.selected ? "取消选中" : "选中";
    return part;
}

bool ResultView::DoDefaultAction(LONG child) {
    if (child == CHILDID_SELF || m_entries[static_cast<size_t>(child - 1)].item->foreign)
        return false;
    Toggle(static_cast<size_t>(child - 1));
    return true;
}

LONG ResultView::FocusedPart() const {
    return m_entries.empty() ? CHILDID_SELF : static_cast<LONG>(m_focusedCard) + 1;
}

LONG ResultView::PartAt(POINT client) const {
    const size_t index = FirstCardBelow(client.y + m_scrollPos);
    return index < m_entries.size() ? static_cast<LONG>(index) + 1 : CHILDID_SELF;
}

LRESULT ResultView::OnCreate() {
    m_hImageList = velk::MakeImageList({IDI_TICK_OFF, IDI_TICK_ON});
    m_tip.Create(m_hWndView);
    return 0;
}

int ResultView::ClientHeight() const {
    RECT client = {};
    GetClientRect(m_hWndView, &client);
    return client.bottom;
}

size_t ResultView::FirstCardBelow(int32_t contentY) const {
    const auto first =
        std::partition_point(m_entries.begin(), m_entries.end(),
                             [&](const ViewEntry& e) { return e.rect.bottom <= contentY; });
    return static_cast<size_t>(first - m_entries.begin());
}

void ResultView::Paint(HDC dc, const RECT& area) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    SetViewportOrgEx(dc, 0, -m_scrollPos, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    {
        const velk::Look& look = velk::TheLook();
        SelectedObject font(dc, look.smallFont.Get());
        SelectedObject framePen(dc, look.cardFramePen.Get());
        SelectedObject fill(dc, GetStockObject(WHITE_BRUSH));
        const bool focus = velk::ShowsFocus(m_hWndView);
        // Only the cards in the window: a long list costs no more than a short one.
        const int32_t bottom = m_scrollPos + area.bottom;
        for (size_t i = FirstCardBelow(m_scrollPos);
             i < m_entries.size() && m_entries[i].rect.top < bottom; ++i)
            DrawCard(dc, m_entries[i], look.smallFont.Get(), look.cardTitleFont.Get(),
                     focus && i == m_focusedCard);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

void ResultView::DrawCard(HDC dc, const ViewEntry& entry, HFONT regular, HFONT bold,
                          bool focus) const {
    const RECT& r = entry.rect;
    const ProblemItem& item = *entry.item;
    RoundRect(dc, r.left + 3, r.top + 1, r.right - 3, r.bottom - 1, 3, 3);
    ImageList_Draw(m_hImageList.Get(), item.selected ? 1 : 0, dc, r.left + kTickBox.left,
                   r.top + kTickBox.top, ILD_NORMAL);

    SelectObject(dc, bold);
    SetTextColor(dc, velk::kCardTitleColour);
    DrawLine(dc, TitleLine(item),
             RECT{r.left + kTitleLeft, r.top + 9, r.left + m_textRight, r.top + 30}, kTitleFormat);

    SelectObject(dc, regular);
    SetTextColor(dc, velk::kCardLineColour);
    DrawLine(dc, ItemLine(item),
             RECT{r.left + kLineLeft, r.top + 30, r.left + m_textRight, r.top + 45}, kLineFormat);
    DrawLine(dc, ValueLine(item),
             RECT{r.left + kLineLeft, r.top + 45, r.left + m_textRight, r.top + 60}, kLineFormat);
    if (focus) {
        const RECT around = {r.left + 1, r.top, r.right - 1, r.bottom};
        DrawFocusRect(dc, &around);
    }
}

LRESULT ResultView::OnVScroll(int request) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(m_hWndView, SB_VERT, &info);
    int position = info.nPos;
    switch (request) {
    case SB_LINEUP:
        position -= kLineStep;
        break;
    case SB_LINEDOWN:
        position += kLineStep;
        break;
    case SB_PAGEUP:
        position -= kPageStep;
        break;
    case SB_PAGEDOWN:
        position += kPageStep;
        break;
    // The message carries only 16 bits of the thumb; long lists need all 32.
    case SB_THUMBTRACK:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        break;
    }
    ScrollTo(position);
    return 0;
}

void ResultView::ScrollTo(int64_t position) {
    // A list shorter than the window does not scroll; the disabled bar keeps the
    // settings of an earlier, longer list.
    if (m_contentHeight < ClientHeight()) return;
    SCROLLINFO update = {};
    update.cbSize = sizeof update;
    update.fMask = SIF_POS;
    update.nPos = static_cast<int>(std::clamp<int64_t>(position, 0, m_contentHeight));
    SetScrollInfo(m_hWndView, SB_VERT, &update, TRUE);
    update.nPos = 0;
    GetScrollInfo(m_hWndView, SB_VERT, &update); // clamped to the range
    const int32_t moved = m_scrollPos - update.nPos;
    m_scrollPos = update.nPos;
    // What stays in the window moves with it; only what comes into it is drawn.
    if (std::abs(moved) < ClientHeight())
        ScrollWindowEx(m_hWndView, 0, moved, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    else
        InvalidateRect(m_hWndView, nullptr, FALSE);
    m_tip.Forget();
}

LRESULT ResultView::OnMouseWheel(int delta, POINT) {
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int64_t step =
        lines == WHEEL_PAGESCROLL ? ClientHeight() : static_cast<int64_t>(lines) * kWheelLineStep;
    ScrollTo(m_scrollPos - delta * step / WHEEL_DELTA);
    return 0;
}

LRESULT ResultView::OnMouseMove(POINT at) {
    const size_t index = FirstCardBelow(at.y + m_scrollPos);
    m_tip.Follow(index, index < m_entries.size() ? m_entries[index].item : nullptr, m_textRight);
    return 0;
}

LRESULT ResultView::OnGetDlgCode() {
    return DLGC_WANTARROWS;
}

LRESULT ResultView::OnKeyDown(UINT key, LPARAM flags) {
    if (m_entries.empty()) return 0;
    const size_t at = m_focusedCard, last = m_entries.size() - 1;
    const size_t page = static_cast<size_t>(std::max(1, ClientHeight() / kCardHeight));
    switch (key) {
    case VK_UP:
        FocusCard(at > 0 ? at - 1 : 0);
        break;
    case VK_DOWN:
        FocusCard(at + 1);
        break;
    case VK_PRIOR:
        FocusCard(at > page ? at - page : 0);
        break;
    case VK_NEXT:
        FocusCard(at + page);
        break;
    case VK_HOME:
        FocusCard(0);
        break;
    case VK_END:
        FocusCard(last);
        break;
    case VK_SPACE:
        // Once per press: not for the key's repeats, nor for the character it makes.
        if (!(flags & (1 << 30))) Toggle(at);
        break;
    }
    return 0;
}

LRESULT ResultView::OnSetFocus() {
    InvalidateCard(m_focusedCard);
    return 0;
}

LRESULT ResultView::OnKillFocus() {
    InvalidateCard(m_focusedCard);
    return 0;
}

LRESULT ResultView::OnUpdateUiState() {
    Default();
    InvalidateCard(m_focusedCard);
    return 0;
}

void ResultView::Toggle(size_t index) {
    if (index >= m_entries.size() || m_entries[index].item->foreign) return;
    m_entries[index].item->selected = !m_entries[index].item->selected;
    InvalidateCard(index);
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWndView, OBJID_CLIENT,
                   static_cast<LONG>(index) + 1);
}

void ResultView::FocusCard(size_t index) {
    MoveFocus(index, true);
}

void ResultView::MoveFocus(size_t index, bool scroll) {
    if (m_entries.empty()) return;
    const size_t was = m_focusedCard;
    m_focusedCard = std::min(index, m_entries.size() - 1);
    const RECT& card = m_entries[m_focusedCard].rect;
    const int height = ClientHeight();
    if (scroll && card.top < m_scrollPos)
        ScrollTo(card.top);
    else if (scroll && card.bottom > m_scrollPos + height)
        ScrollTo(card.bottom - height);
    InvalidateCard(was);
    InvalidateCard(m_focusedCard);
    if (GetFocus() == m_hWndView)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWndView, OBJID_CLIENT, FocusedPart());
}

void ResultView::InvalidateCard(size_t index) {
    if (index >= m_entries.size()) return;
    RECT card = m_entries[index].rect;
    OffsetRect(&card, 0, -m_scrollPos);
    InvalidateRect(m_hWndView, &card, FALSE);
}

LRESULT ResultView::OnLButtonDown(POINT at) {
    SetFocus(m_hWndView);
    const POINT point = {at.x, at.y + m_scrollPos};
    // Cards do not overlap: only the card under the point can hold its box.
    const size_t index = FirstCardBelow(point.y);
    if (index >= m_entries.size()) return 0;
    // The card clicked has the focus, where it is: the view does not move under the pointer.
    MoveFocus(index, false);
    const RECT& card = m_entries[index].rect;
    RECT box = kTickBox;
    OffsetRect(&box, card.left, card.top);
    // A foreign record's box is drawn but does nothing.
    if (PtInRect(&box, point)) Toggle(index);
    return 0;
}
