#include "controls/GroupView.h"

#include "controls/Look.h"
#include "controls/ResultView.h"
#include "engine/JobEnumerator.h"
#include "engine/Instance.h"

namespace {

const char kClassName[] = "group_view_class";

} // namespace

void GroupView::Create(ResultView* resultView, HWND parent, int x, int y, int width, int height) {
    m_pResultView = resultView;
    CreateObjectWindow(kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width, height,
                       parent);
}

void GroupView::BuildGroups(ProblemList& items) {
    m_groups.clear(); // releases the icons of the previous build
    const JobEnumerator* jobs = JobEnumerator::mSingleton;
    const size_t jobCount = jobs ? jobs->size() : 0;
    m_groups.resize(jobCount);

    RECT client = {};
    GetClientRect(m_hWndView, &client);
    for (size_t i = 0; i < jobCount; ++i) {
        ItemGroup& group = m_groups[i];
        const int top = static_cast<int>(i) * kRowHeight;
        group.bounds = RECT{kIndent, top, client.right, top + kRowHeight};
        group.itemCount = 0;
        if (const velk::Job* job = jobs->FindJob(static_cast<int32_t>(i))) {
            group.icon = velk::ProgramIcon(job->iconId, 16);
            group.jobName = job->name;
        }
    }
    if (!m_groups.empty()) {
        m_groups[0].bounds.left = 0;
        // Group 0 lists every item once, the root's own included, and also an item of
        // no job (only an edited backup has one): all that a fix or restore would
        // touch can be seen.
        std::vector<size_t> sizes(jobCount, 0);
        for (const ProblemItem& item : items)
            if (item.jobId > 0 && static_cast<size_t>(item.jobId) < jobCount)
                ++sizes[static_cast<size_t>(item.jobId)];
        m_groups[0].groupItems.reserve(items.size());
        for (size_t i = 1; i < jobCount; ++i)
            m_groups[i].groupItems.reserve(sizes[i]);
        for (ProblemItem& item : items) {
            m_groups[0].groupItems.push_back(&item);
            if (item.jobId > 0 && static_cast<size_t>(item.jobId) < jobCount)
                m_groups[static_cast<size_t>(item.jobId)].groupItems.push_back(&item);
        }
        for (ItemGroup& group : m_groups)
            group.itemCount = static_cast<int32_t>(group.groupItems.size());
    }

    m_selectedGroup = 0;
    NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWndView, OBJID_CLIENT, CHILDID_SELF);
    if (m_groups.empty()) {
        // Nothing to show, and nothing may keep pointing into an earlier list.
        m_pResultView->ClearItems();
        m_pResultView->LayoutItems();
        return;
    }
    SelectGroup(0);
}

void GroupView::SelectGroup(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= m_groups.size()) return;
    m_pResultView->ClearItems();
    for (ProblemItem* item : m_groups[static_cast<size_t>(index)].groupItems)
        m_pResultView->AddItem(item);
    m_pResultView->LayoutItems();
}

std::string GroupView::RowText(size_t index) const {
    const ItemGroup& group = m_groups[index];
    const std::string count = " (" + std::to_string(group.itemCount) + ")";
    return (index == 0 ? std::string("所有项目") : group.jobName) + count;
}

LRESULT GroupView::OnLButtonDown(POINT at) {
    SetFocus(m_hWndView);
    if (const LONG row = PartAt(at)) Choose(static_cast<size_t>(row - 1));
    return 0;
}

void GroupView::Choose(size_t index) {
    m_selectedGroup = static_cast<int32_t>(index);
    SelectGroup(m_selectedGroup);
    InvalidateRect(m_hWndView, nullptr, FALSE);
    const LONG row = static_cast<LONG>(index) + 1;
    NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hWndView, OBJID_CLIENT, row);
    if (GetFocus() == m_hWndView) NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWndView, OBJID_CLIENT, row);
}

velk::AccessiblePart GroupView::DescribePart(LONG child) const {
    velk::AccessiblePart part;
    const bool focused = GetFocus() == m_hWndView;
    part.state = STATE_SYSTEM_FOCUSABLE;
    if (child == CHILDID_SELF) {
        part.role = ROLE_SYSTEM_LIST;
        part.state |= focused ? STATE_SYSTEM_FOCUSED : 0;
        GetClientRect(m_hWndView, &part.bounds);
        return part;
    }
    const size_t index = static_cast<size_t>(child - 1);
    const bool selected = static_cast<int32_t>(index) == m_selectedGroup;
    part.name = RowText(index);
    part.defaultAction = "选择";
    part.role = ROLE_SYSTEM_LISTITEM;
    part.state |= STATE_SYSTEM_SELECTABLE | (selected ? STATE_SYSTEM_SELECTED : 0) |
                  (selected && focused ? STATE_SYSTEM_FOCUSED : 0);
    part.bounds = m_groups[index].bounds;
    return part;
}

bool GroupView::DoDefaultAction(LONG child) {
    if (child == CHILDID_SELF) return false;
    Choose(static_cast<size_t>(child - 1));
    return true;
}

LONG GroupView::FocusedPart() const {
    return m_groups.empty() ? CHILDID_SELF : m_selectedGroup + 1;
}

LONG GroupView::PartAt(POINT client) const {
    for (size_t i = 0; i < m_groups.size(); ++i)
        if (PtInRect(&m_groups[i].bounds, client)) return static_cast<LONG>(i) + 1;
    return CHILDID_SELF;
}

LRESULT GroupView::OnGetDlgCode() {
    return DLGC_WANTARROWS;
}

LRESULT GroupView::OnKeyDown(UINT key, LPARAM) {
    if (m_groups.empty()) return 0;
    const size_t last = m_groups.size() - 1;
    const size_t at = static_cast<size_t>(m_selectedGroup);
    size_t to = at;
    if (key == VK_UP && at > 0) to = at - 1;
    if (key == VK_DOWN && at < last) to = at + 1;
    if (key == VK_HOME) to = 0;
    if (key == VK_END) to = last;
    // A held key at either end refills nothing.
    if (to != at) Choose(to);
    return 0;
}

LRESULT GroupView::OnSetFocus() {
    InvalidateRect(m_hWndView, nullptr, FALSE);
    return 0;
}

LRESULT GroupView::OnKillFocus() {
    InvalidateRect(m_hWndView, nullptr, FALSE);
    return 0;
}

LRESULT GroupView::OnUpdateUiState() {
    Default();
    InvalidateRect(m_hWndView, nullptr, FALSE);
    return 0;
}

void GroupView::Paint(HDC dc, const RECT& area) {
    const velk::Look& look = velk::TheLook();
    FillRect(dc, &area, look.panelBrush.Get());
    if (m_selectedGroup >= 0 && static_cast<size_t>(m_selectedGroup) < m_groups.size()) {
        SelectedObject selectedFill(dc, look.selectedGroupBrush.Get());
        SelectedObject selectedBorder(dc, look.blackPen.Get());
        const RECT& b = m_groups[static_cast<size_t>(m_selectedGroup)].bounds;
        Rectangle(dc, b.left, b.top, b.right, b.bottom);
    }
    SetBkMode(dc, TRANSPARENT);
    if (!m_groups.empty()) {
        SelectedObject font(dc, look.rootGroupFont.Get());
        SetTextColor(dc, velk::kRootGroupColour);
        DrawRow(dc, 0);
    }
    SelectedObject font(dc, look.smallFont.Get());
    SetTextColor(dc, velk::kBlack);
    for (size_t i = 1; i < m_groups.size(); ++i)
        DrawRow(dc, i);
    if (velk::ShowsFocus(m_hWndView) && static_cast<size_t>(m_selectedGroup) < m_groups.size()) {
        RECT focus = m_groups[static_cast<size_t>(m_selectedGroup)].bounds;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(dc, &focus);
    }
}

void GroupView::DrawRow(HDC dc, size_t index) const {
    const ItemGroup& group = m_groups[index];
    const RECT& b = group.bounds;
    DrawIconEx(dc, b.left + 8, b.top + 8, group.icon.Get(), 16, 16, 0, nullptr, DI_NORMAL);
    RECT text = {b.left + 32, b.top, b.right, b.bottom};
    const std::string caption = RowText(index);
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}
