// The wizard's look: its colours, and the fonts, brushes, pens and artwork, made once
// for the whole process on first use and shared by every window that paints.
#pragma once

#include "engine/Handles.h"

namespace velk {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPanelColour = RGB(237, 242, 252); // the choices' panel, the group list
constexpr COLORREF kSelectedGroupColour = RGB(187, 194, 214);
constexpr COLORREF kRootGroupColour = RGB(196, 0, 0);
constexpr COLORREF kDisabledCaptionColour = RGB(204, 204, 204);
constexpr COLORREF kCardFrameColour = RGB(238, 238, 238);
constexpr COLORREF kCardTitleColour = RGB(0, 0, 128);
constexpr COLORREF kCardLineColour = RGB(128, 128, 128);

struct Look {
    Look();

    GdiObject titleFont;     // 18-point bold Garamond: the page title in the header
    GdiObject buttonFont;    // 10-point bold Verdana
    GdiObject textFont;      // 8-point Tahoma: the pages' texts and controls
    GdiObject questionFont;  // 10-point bold Tahoma
    GdiObject rootGroupFont; // 9-point bold Tahoma
    GdiObject smallFont;     // 7-point Tahoma: the job groups, the cards' lines
    GdiObject cardTitleFont; // 8-point bold Tahoma
    GdiObject panelBrush;
    GdiObject selectedGroupBrush;
    GdiObject blackPen;
    GdiObject cardFramePen;
    GdiObject header;
    GdiObject footer;
    GdiObject buttonFaces[3]; // normal, pressed, disabled
    IconHandle bigIcon;       // 48 x 48
};

// Made on the first call, with the program's module set.
const Look& TheLook();

inline HBRUSH AsBrush(const GdiObject& brush) {
    return static_cast<HBRUSH>(brush.Get());
}

} // namespace velk
