#include "controls/ResultView.h"

#include "controls/Look.h"
#include "resources/ResourceIds.h"
#include "engine/Instance.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kClassName[] = "result_view_class";

// Registry texts may hold '&': shown as stored, never as a mnemonic.
const UINT kTitleFormat = DT_SINGLELINE | DT_NOPREFIX;
const UINT kLineFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

void DrawLine(HDC dc, const std::string& text, RECT area, UINT format) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
}

} // namespace

void ResultView::Create(HWND parent, int x, int y, int width, int height) {
    m_textRight = width - 9;
    CreateObjectWindow(kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL, x, y, width, height,
                       parent);
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
    if (m_contentHeight < client.bottom) {
        EnableScrollBar(m_hWndView, SB_VERT, ESB_DISABLE_BOTH);
    } else {
        EnableScrollBar(m_hWndView, SB_VERT, ESB_ENABLE_BOTH);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = m_contentHeight;
        info.nPage = static_cast<UINT>(client.bottom);
        info.nPos = 0;
        SetScrollInfo(m_hWndView, SB_VERT, &info, TRUE);
    }
    InvalidateRect(m_hWndView, nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWndView, OBJID_CLIENT, CHILDID_SELF);
}

void ResultView::Toggle(size_t index) {
    if (index >= m_entries.size() || m_entries[index].item->foreign) return;
    m_entries[index].item->selected = !m_entries[index].item->selected;
    InvalidateRect(m_hWndView, nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWndView, OBJID_CLIENT,
                   static_cast<LONG>(index) + 1);
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

LRESULT ResultView::OnDestroy() {
    m_accessible.Disconnect();
    m_hImageList.Reset();
    return 0;
}

LRESULT ResultView::OnGetObject(WPARAM flags, LPARAM objectId) {
    const LRESULT answer = m_accessible.Answer(m_hWndView, flags, objectId);
    return answer ? answer : Default();
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

LONG ResultView::PartAt(POINT client) const {
    const size_t index = FirstCardBelow(client.y + m_scrollPos);
    return index < m_entries.size() ? static_cast<LONG>(index) + 1 : CHILDID_SELF;
}

LRESULT ResultView::OnCreate() {
    m_hImageList.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0));
    for (int id : {IDI_TICK_OFF, IDI_TICK_ON}) {
        IconHandle icon(static_cast<HICON>(
            LoadImageA(g_hInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        ImageList_AddIcon(m_hImageList.Get(), icon.Get());
    }
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
        // Only the cards in the window: a long list costs no more than a short one.
        const int32_t bottom = m_scrollPos + area.bottom;
        for (size_t i = FirstCardBelow(m_scrollPos);
             i < m_entries.size() && m_entries[i].rect.top < bottom; ++i)
            DrawCard(dc, m_entries[i], look.smallFont.Get(), look.cardTitleFont.Get());
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

void ResultView::DrawCard(HDC dc, const ViewEntry& entry, HGDIOBJ regular, HGDIOBJ bold) const {
    const RECT& r = entry.rect;
    const ProblemItem& item = *entry.item;
    RoundRect(dc, r.left + 3, r.top + 1, r.right - 3, r.bottom - 1, 3, 3);
    ImageList_Draw(m_hImageList.Get(), item.selected ? 1 : 0, dc, r.left + kTickBox.left,
                   r.top + kTickBox.top, ILD_NORMAL);

    SelectObject(dc, bold);
    SetTextColor(dc, velk::kCardTitleColour);
    DrawLine(dc, TitleLine(item), RECT{r.left + 30, r.top + 9, r.left + m_textRight, r.top + 30},
             kTitleFormat);

    SelectObject(dc, regular);
    SetTextColor(dc, velk::kCardLineColour);
    DrawLine(dc, ItemLine(item), RECT{r.left + 9, r.top + 30, r.left + m_textRight, r.top + 45},
             kLineFormat);
    DrawLine(dc, ValueLine(item), RECT{r.left + 9, r.top + 45, r.left + m_textRight, r.top + 60},
             kLineFormat);
}

LRESULT ResultView::OnVScroll(int request) {
    // A list shorter than the window does not scroll; the disabled bar keeps the
    // settings of an earlier, longer list.
    if (m_contentHeight < ClientHeight()) return 0;
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
    SCROLLINFO update = {};
    update.cbSize = sizeof update;
    update.fMask = SIF_POS;
    update.nPos = position;
    SetScrollInfo(m_hWndView, SB_VERT, &update, TRUE);
    update.nPos = 0;
    GetScrollInfo(m_hWndView, SB_VERT, &update); // clamped to the range
    m_scrollPos = update.nPos;
    InvalidateRect(m_hWndView, nullptr, FALSE);
    return 0;
}

LRESULT ResultView::OnLButtonDown(POINT at) {
    const POINT point = {at.x, at.y + m_scrollPos};
    // Cards do not overlap: only the card under the point can hold its box.
    const size_t index = FirstCardBelow(point.y);
    if (index >= m_entries.size()) return 0;
    const RECT& card = m_entries[index].rect;
    RECT box = kTickBox;
    OffsetRect(&box, card.left, card.top);
    if (PtInRect(&box, point)) Toggle(index);
    return 0;
}
