// The right-hand pane of the result page: one card per item of the chosen group, each
// with a tick box that flips the item's selected flag in place, in a scrolling list.
// One card has the keyboard focus; a card whose texts are cut shows them whole in a tip.
#pragma once

#include "controls/CardTip.h"
#include "controls/Accessible.h"
#include "controls/WindowClass.h"
#include "engine/Handles.h"
#include "engine/ProblemItem.h"

#include <cstdint>
#include <string>
#include <vector>

struct ViewEntry {
    ProblemItem* item;
    RECT rect; // content coordinates: y grows from the first card's top
};

class ResultView : public velk::ObjectWindow, private velk::AccessibleParts {
public:
    static constexpr int kCardHeight = 60;
    static constexpr int kLineStep = 60;  // one card
    static constexpr int kPageStep = 300; // five cards, whatever the window's height
    static constexpr RECT kTickBox = {9, 9, 25, 25};
    static constexpr int kWheelLineStep = 20; // a third of a card per line of the wheel
    static constexpr int kTitleLeft = 30;     // where a card's title and lines begin
    static constexpr int kLineLeft = 9;

    ResultView() = default;

    void Create(HWND parent, int x, int y, int width, int height);

    // The group view fills the view with these three, in this order.
    void ClearItems();
    void AddItem(ProblemItem* item);
    // Places the cards, scrolls to the top, gives the first card the focus and repaints.
    void LayoutItems();

    // Ticks or unticks a card's item, as a click on its box does; a foreign record and
    // an index past the cards stay as they are.
    void Toggle(size_t index);
    // Gives a card the focus and scrolls it into view; an index past the cards means the last.
    void FocusCard(size_t index);
    size_t FocusedCard() const { return m_focusedCard; }

    HWND Handle() const { return m_hWndView; }
    const std::vector<ViewEntry>& Entries() const { return m_entries; }
    int32_t ScrollPos() const { return m_scrollPos; }
    int32_t ContentHeight() const { return m_contentHeight; }

    // What a card's three lines say; the texts may be kilobytes long. A foreign record
    // says it is not restored and where it really points, not what it claims.
    static std::string TitleLine(const ProblemItem& item);
    static std::string ItemLine(const ProblemItem& item);
    static std::string ValueLine(const ProblemItem& item);
    // The three lines, one under the other, none cut.
    static std::string FullText(const ProblemItem& item);

    HWND ToolTip() const { return m_tip.Handle(); }

private:
    HWND& HandleSlot() override { return m_hWndView; }
    LRESULT OnCreate() override;
    LRESULT OnDestroy() override;
    void Paint(HDC dc, const RECT& area) override;
    LRESULT OnVScroll(int request) override;
    LRESULT OnLButtonDown(POINT at) override;
    LRESULT OnMouseMove(POINT at) override;
    LRESULT OnMouseWheel(int delta, POINT screen) override;
    LRESULT OnGetDlgCode() override;
    LRESULT OnKeyDown(UINT key, LPARAM flags) override;
    LRESULT OnSetFocus() override;
    LRESULT OnKillFocus() override;
    LRESULT OnUpdateUiState() override;
    void DrawCard(HDC dc, const ViewEntry& entry, HFONT regular, HFONT bold, bool focus) const;
    void MoveFocus(size_t index, bool scroll);
    void InvalidateCard(size_t index);
    // Clamped to the scroll bar's range; repaints the window.
    void ScrollTo(int64_t position);
    velk::Accessible* Accessibility() override { return &m_accessible; }
    // Read by screen readers: a list, each card a check button of it.
    LONG PartCount() const override { return static_cast<LONG>(m_entries.size()); }
    velk::AccessiblePart DescribePart(LONG child) const override;
    bool DoDefaultAction(LONG child) override;
    LONG FocusedPart() const override;
    LONG PartAt(POINT client) const override;
    int ClientHeight() const;
    // Index of the first card whose bottom lies below content y; cards are in order.
    size_t FirstCardBelow(int32_t contentY) const;

    HWND m_hWndView = nullptr;
    std::vector<ViewEntry> m_entries;
    int32_t m_scrollPos = 0;
    int32_t m_contentHeight = 0;
    ImageListHandle m_hImageList;
    int m_textRight = 0; // right edge of a card's three text lines, from the created width
    size_t m_focusedCard = 0;
    CardTip m_tip;
    velk::Accessible m_accessible{*this};
};
