#include "engine/Handles.h"
#include "resources/ResourceIds.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

namespace {

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// The icon drawn on a plain background, as a page or an image list would draw it.
Image DrawnIcon(int id, int size, uint32_t background) {
    Image image;
    IconHandle icon(static_cast<HICON>(
        LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!icon)
        return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    GdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.Get(), dib.Get());
    uint32_t* p = static_cast<uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i)
        p[i] = background;
    DrawIconEx(dc.Get(), 0, 0, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    image.width = image.height = size;
    for (int i = 0; i < size * size; ++i)
        image.pixels.push_back(p[i] & 0xFFFFFF);
    return image;
}

bool Greenish(uint32_t c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return g > 100 && g > r + 40 && g > b + 40;
}

bool Bluish(uint32_t c) {
    const int r = (c >> 16) & 0xFF, b = c & 0xFF;
    return b > 120 && b > r + 40;
}

TEST(Resources, BitmapsHaveTheirSizesAt24BitsPerPixel) {
    struct {
        int id, width, height;
    } bitmaps[] = {{IDB_FOOTER, 690, 41},
                   {IDB_HEADER, 690, 59},
                   {IDB_BUTTON_PRESSED, 112, 37},
                   {IDB_BUTTON_NORMAL, 112, 37},
                   {IDB_BUTTON_DISABLED, 112, 37}};
    for (const auto& b : bitmaps) {
        GdiObject bitmap(
            LoadImageA(Module(), MAKEINTRESOURCEA(b.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_TRUE(bitmap) << "bitmap " << b.id;
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectA(bitmap.Get(), sizeof dib, &dib), int(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, b.width) << b.id;
        EXPECT_EQ(dib.dsBm.bmHeight, b.height) << b.id;
        EXPECT_EQ(dib.dsBmih.biBitCount, 24) << b.id;
    }
}

TEST(Resources, TheThreeButtonFacesDiffer) {
    const Image pressed = LoadBitmapImage(IDB_BUTTON_PRESSED);
    const Image normal = LoadBitmapImage(IDB_BUTTON_NORMAL);
    const Image disabled = LoadBitmapImage(IDB_BUTTON_DISABLED);
    EXPECT_NE(pressed, normal);
    EXPECT_NE(normal, disabled);
    EXPECT_NE(pressed, disabled);
}

TEST(Resources, TheHeaderCarriesTheHelpLinkInItsHotRectangle) {
    const Image header = LoadBitmapImage(IDB_HEADER);
    ASSERT_EQ(header.width, 690);
    auto bright = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const uint32_t c = header.At(x, y);
                n += ((c >> 16) & 0xFF) > 220 && ((c >> 8) & 0xFF) > 220 && (c & 0xFF) > 220;
            }
        return n;
    };
    EXPECT_GT(bright(524, 31, 592, 49), 60) << "the link's text and sign";
    EXPECT_EQ(bright(440, 31, 524, 49), 0) << "nothing that looks clickable beside it";
    EXPECT_EQ(bright(592, 31, 690, 49), 0);
}

TEST(Resources, EveryIconGroupLoadsAt16Pixels) {
    const int ids[] = {IDI_APPLICATION_ICON, IDI_JOB_HELP,      IDI_STATE_WAITING,
                       IDI_STATE_FINISHED,   IDI_STATE_RUNNING, IDI_TICK_OFF,
                       IDI_TICK_ON,          IDI_JOB_INTEGRITY, IDI_JOB_CONTROLS,
                       IDI_JOB_LOCATIONS,    IDI_JOB_FONTS,     IDI_JOB_SHARED,
                       IDI_JOB_STARTUP,      IDI_JOB_ADDREMOVE};
    for (int id : ids) {
        const Image onWhite = DrawnIcon(id, 16, 0xFFFFFF);
        ASSERT_EQ(onWhite.width, 16) << "icon " << id;
        if (id != IDI_STATE_WAITING) {
            EXPECT_GT(16 * 16 - CountColour(onWhite, 0xFFFFFF), 20) << "icon " << id << " is empty";
        }
    }
    // The welcome page draws the application icon at 48 pixels.
    const Image large = DrawnIcon(IDI_APPLICATION_ICON, 48, 0xFFFFFF);
    EXPECT_GT(48 * 48 - CountColour(large, 0xFFFFFF), 48 * 48 / 3);
}

TEST(Resources, StateAndTickIconsShowTheirMotifs) {
    // Waiting is fully transparent, whatever lies beneath.
    EXPECT_EQ(CountColour(DrawnIcon(IDI_STATE_WAITING, 16, 0xFF00FF), 0xFF00FF), 256);
    int green = 0, blue = 0;
    for (uint32_t c : DrawnIcon(IDI_STATE_FINISHED, 16, 0xFFFFFF).pixels)
        green += Greenish(c);
    for (uint32_t c : DrawnIcon(IDI_STATE_RUNNING, 16, 0xFFFFFF).pixels)
        blue += Bluish(c);
    EXPECT_GT(green, 20) << "a green tick";
    EXPECT_GT(blue, 30) << "a blue arrow";

    const Image off = DrawnIcon(IDI_TICK_OFF, 16, 0xFF00FF);
    const Image on = DrawnIcon(IDI_TICK_ON, 16, 0xFF00FF);
    EXPECT_EQ(off.At(8, 8), 0xFFFFFFu) << "a white box";
    EXPECT_EQ(off.At(2, 8), 0x808080u) << "with a grey border";
    EXPECT_EQ(on.At(2, 8), 0x808080u);
    int ticked = 0;
    for (uint32_t c : on.pixels)
        ticked += Greenish(c);
    EXPECT_GT(ticked, 10) << "holding a green tick";
    for (uint32_t c : off.pixels)
        EXPECT_FALSE(Greenish(c));
}

TEST(Resources, HandCursorIs32PixelsWithItsHotSpotOnTheFingertip) {
    HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    ASSERT_TRUE(cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    GdiObject mask(info.hbmMask);
    GdiObject colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    BITMAP bitmap = {};
    ASSERT_TRUE(GetObjectA(mask.Get(), sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 32);
    EXPECT_EQ(bitmap.bmBitsPixel, 1);
}

} // namespace
