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

    FontHandle titleFont;     // 18-point bold Garamond: the page title in the header
    FontHandle buttonFont;    // 10-point bold Verdana
    FontHandle textFont;      // 8-point Tahoma: the pages' texts and controls
    FontHandle questionFont;  // 10-point bold Tahoma
    FontHandle rootGroupFont; // 9-point bold Tahoma
    FontHandle smallFont;     // 7-point Tahoma: the job groups, the cards' lines
    FontHandle cardTitleFont; // 8-point bold Tahoma
    BrushHandle panelBrush;
    BrushHandle selectedGroupBrush;
    PenHandle blackPen;
    PenHandle cardFramePen;
    BitmapHandle header;
    BitmapHandle footer;
    BitmapHandle buttonFaces[3]; // normal, pressed, disabled
    IconHandle bigIcon;          // 48 x 48
};

// The program's icon `id` at `size` pixels square.
IconHandle ProgramIcon(int id, int size);

// Made on the first call, with the program's module set.
const Look& TheLook();

// A stock object: shared, never deleted.
inline HBRUSH WhiteBrush() {
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

} // namespace velk
