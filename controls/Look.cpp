#include "controls/Look.h"

#include "resources/ResourceIds.h"
#include "engine/Instance.h"

namespace velk {

namespace {

// The height of `points` at the screen's vertical resolution, FF_SWISS.
GdiObject MakeFont(HDC screen, int points, int weight, const char* face) {
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    return GdiObject(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, 0, FF_SWISS, face));
}

GdiObject Artwork(int id) {
    return GdiObject(LoadBitmapA(g_hInstance, MAKEINTRESOURCEA(id)));
}

} // namespace

Look::Look()
    : panelBrush(CreateSolidBrush(kPanelColour)),
      selectedGroupBrush(CreateSolidBrush(kSelectedGroupColour)),
      blackPen(CreatePen(PS_SOLID, 1, kBlack)),
      cardFramePen(CreatePen(PS_SOLID, 1, kCardFrameColour)), header(Artwork(IDB_HEADER)),
      footer(Artwork(IDB_FOOTER)), buttonFaces{Artwork(IDB_BUTTON_NORMAL),
                                               Artwork(IDB_BUTTON_PRESSED),
                                               Artwork(IDB_BUTTON_DISABLED)},
      bigIcon(static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON),
                                            IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR))) {
    const HDC screen = GetDC(nullptr);
    titleFont = MakeFont(screen, 18, FW_BOLD, "Garamond");
    buttonFont = MakeFont(screen, 10, FW_BOLD, "Verdana");
    textFont = MakeFont(screen, 8, FW_NORMAL, "Tahoma");
    questionFont = MakeFont(screen, 10, FW_BOLD, "Tahoma");
    rootGroupFont = MakeFont(screen, 9, FW_BOLD, "Tahoma");
    smallFont = MakeFont(screen, 7, FW_NORMAL, "Tahoma");
    cardTitleFont = MakeFont(screen, 8, FW_BOLD, "Tahoma");
    ReleaseDC(nullptr, screen);
}

const Look& TheLook() {
    static const Look look;
    return look;
}

} // namespace velk
