// The left-hand pane of the result page: one row per job with its count, the root's
// row counting every item. Choosing a row fills the result view with that group.
#pragma once

#include "controls/Accessible.h"
#include "controls/WindowClass.h"
#include "engine/Handles.h"
#include "engine/ProblemItem.h"

#include <cstdint>
#include <string>
#include <vector>

class ResultView;

struct ItemGroup {
    std::vector<ProblemItem*> groupItems; // in item-list order; the items are the frame's
    std::string jobName;
    RECT bounds = {}; // client coordinates, for drawing and hit-testing
    int32_t itemCount = 0;
    IconHandle icon; // 16 x 16
};

class GroupView : public velk::ObjectWindow, private velk::AccessibleParts {
public:
    static constexpr int kRowHeight = 32;
    static constexpr int kIndent = 20; // job rows start here; the root's row at 0
    static constexpr int kFocusInset = 2;

    GroupView() = default;

    void Create(ResultView* resultView, HWND parent, int x, int y, int width, int height);
    // One group per job, in job order; selects group 0 and shows it. Does not repaint
    // the group view itself: the page is shown right afterwards.
    void BuildGroups(ProblemList& items);
    // Fills the result view with the group's items; an index past the groups does nothing.
    void SelectGroup(int32_t index);

    HWND Handle() const { return m_hWndView; }
    const std::vector<ItemGroup>& Groups() const { return m_groups; }
    int32_t SelectedGroup() const { return m_selectedGroup; }
    // The text of a row as drawn.
    std::string RowText(size_t index) const;

private:
    HWND& HandleSlot() override { return m_hWndView; }
    void Paint(HDC dc, const RECT& area) override;
    LRESULT OnLButtonDown(POINT at) override;
    LRESULT OnGetDlgCode() override;
    LRESULT OnKeyDown(UINT key, LPARAM flags) override;
    LRESULT OnSetFocus() override;
    LRESULT OnKillFocus() override;
    LRESULT OnUpdateUiState() override;
    velk::Accessible* Accessibility() override { return &m_accessible; }
    // Read by screen readers: a list, each row an item of it.
    LONG PartCount() const override { return static_cast<LONG>(m_groups.size()); }
    velk::AccessiblePart DescribePart(LONG child) const override;
    bool DoDefaultAction(LONG child) override;
    LONG FocusedPart() const override;
    LONG PartAt(POINT client) const override;
    // Chooses a row as a click on it does.
    void Choose(size_t index);
    void DrawRow(HDC dc, size_t index) const;

    HWND m_hWndView = nullptr;
    ResultView* m_pResultView = nullptr;
    std::vector<ItemGroup> m_groups;
    int32_t m_selectedGroup = 0;
    velk::Accessible m_accessible{*this};
};
