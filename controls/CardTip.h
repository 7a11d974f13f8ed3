// The tip over the result view: a card whose lines are cut shows them whole when the
// pointer rests on it.
#pragma once

#include "engine/ProblemItem.h"

#include <windows.h>

#include <cstdint>

class CardTip {
public:
    static constexpr int kWidth = 600;

    // One tool over the view's client area; the tip goes with the view.
    void Create(HWND view);
    // The pointer is over this card (null: over none), whose lines end at textRight.
    void Follow(size_t index, const ProblemItem* item, int textRight);
    // The cards moved under the pointer.
    void Forget();

    HWND Handle() const { return m_hWndTip; }

private:
    bool Cut(const ProblemItem& item, int textRight) const;

    HWND m_hWndTip = nullptr;
    HWND m_hWndView = nullptr;
    size_t m_card = SIZE_MAX; // the card the tip's text is of
};
