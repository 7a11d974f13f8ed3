#include "controls/Look.h"

#include "resources/ResourceIds.h"
#include "engine/Instance.h"

namespace velk {

namespace {

// The height of `points` at the screen's vertical resolution, FF_SWISS.
FontHandle MakeFont(HDC screen, int points, int weight, const char* face) {
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    return FontHandle(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                  0, 0, FF_SWISS, face));
}

BitmapHandle Artwork(int id) {
    return BitmapHandle(LoadBitmapA(g_hInstance, MAKEINTRESOURCEA(id)));
}

} // namespace

IconHandle ProgramIcon(int id, int size) {
    return IconHandle(static_cast<HICON>(
        LoadImageA(g_hInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

Look::Look()
    : panelBrush(CreateSolidBrush(kPanelColour)),
      selectedGroupBrush(CreateSolidBrush(kSelectedGroupColour)),
      blackPen(CreatePen(PS_SOLID, 1, kBlack)),
      cardFramePen(CreatePen(PS_SOLID, 1, kCardFrameColour)), header(Artwork(IDB_HEADER)),
      footer(Artwork(IDB_FOOTER)), buttonFaces{Artwork(IDB_BUTTON_NORMAL),
                                               Artwork(IDB_BUTTON_PRESSED),
                                               Artwork(IDB_BUTTON_DISABLED)},
      bigIcon(ProgramIcon(IDI_APPLICATION_ICON, 48)) {
    const WindowDc screenDc(nullptr);
    const HDC screen = screenDc.Get();
    titleFont = MakeFont(screen, 18, FW_BOLD, "Garamond");
    buttonFont = MakeFont(screen, 10, FW_BOLD, "Verdana");
    textFont = MakeFont(screen, 8, FW_NORMAL, "Tahoma");
    questionFont = MakeFont(screen, 10, FW_BOLD, "Tahoma");
    rootGroupFont = MakeFont(screen, 9, FW_BOLD, "Tahoma");
    smallFont = MakeFont(screen, 7, FW_NORMAL, "Tahoma");
    cardTitleFont = MakeFont(screen, 8, FW_BOLD, "Tahoma");
}

const Look& TheLook() {
    static const Look look;
    return look;
}

} // namespace velk
