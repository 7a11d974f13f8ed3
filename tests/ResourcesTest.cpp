#include "engine/Handles.h"
#include "resources/ResourceIds.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// The icon drawn on a plain background, as a page or an image list would draw it.
Image DrawnIcon(int id, int size, uint32_t background) {
    Image image;
    IconHandle icon(static_cast<HICON>(
        LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!icon) return image;
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

// Reads an extended dialog template field by field.
class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Ok() const { return m_ok; }
    uint32_t U16() { return Take(2); }
    uint32_t U32() { return Take(4); }
    void Align() { m_at = (m_at + 3) & ~size_t(3); }
    // A zero-terminated UTF-16 string, or "#n" for an ordinal.
    std::wstring StringOrOrdinal() {
        if (m_at + 2 <= m_size && m_data[m_at] == 0xFF && m_data[m_at + 1] == 0xFF) {
            m_at += 2;
            return L"#" + std::to_wstring(U16());
        }
        return String();
    }
    std::wstring String() {
        std::wstring text;
        while (m_ok) {
            const wchar_t c = static_cast<wchar_t>(U16());
            if (c == 0) break;
            text += c;
        }
        return text;
    }

private:
    uint32_t Take(size_t bytes) {
        if (m_at + bytes > m_size) {
            m_ok = false;
            return 0;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i)
            value |= uint32_t(m_data[m_at + i]) << (8 * i);
        m_at += bytes;
        return value;
    }
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

std::wstring Wide(const char* gbk) {
    wchar_t text[256] = {};
    MultiByteToWideChar(936, 0, gbk, -1, text, 256);
    return text;
}

TEST(Resources, TheWaitDialogTemplateIsExtendedAndSimplifiedChinese) {
    HRSRC found =
        FindResourceExA(Module(), reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(IDD_WAIT),
                        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    ASSERT_TRUE(found) << "dialog 1001 in language 2052";
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(Module(), found)));
    ASSERT_TRUE(data);
    TemplateReader t(data, SizeofResource(Module(), found));
    EXPECT_EQ(t.U16(), 1u) << "version";
    EXPECT_EQ(t.U16(), 0xFFFFu) << "extended";
    t.U32(); // help id
    EXPECT_EQ(t.U32(), 0u) << "extended style";
    EXPECT_EQ(t.U32(), 0x80C008C0u) << "style";
    EXPECT_EQ(t.U16(), 1u) << "one control";
    const uint32_t x = t.U16(), y = t.U16(), cx = t.U16(), cy = t.U16();
    EXPECT_EQ(x, 0u);
    EXPECT_EQ(y, 0u);
    EXPECT_EQ(cx, 250u);
    EXPECT_EQ(cy, 50u);
    EXPECT_EQ(t.StringOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(t.StringOrOrdinal(), L"") << "the standard dialog class";
    EXPECT_EQ(t.String(), Wide("正在处理.."));
    EXPECT_EQ(t.U16(), 9u) << "point size";
    EXPECT_EQ(t.U16(), 400u) << "weight";
    t.U16(); // italic, character set
    EXPECT_EQ(t.String(), Wide("宋体"));

    t.Align();
    t.U32(); // help id
    EXPECT_EQ(t.U32(), 0u) << "control's extended style";
    EXPECT_EQ(t.U32(), 0x50020001u) << "control's style";
    const uint32_t left = t.U16(), top = t.U16(), width = t.U16(), height = t.U16();
    EXPECT_EQ(left, 20u);
    EXPECT_EQ(top, 20u);
    EXPECT_EQ(width, 210u);
    EXPECT_EQ(height, 10u);
    EXPECT_EQ(t.U32() & 0xFFFF, 0xFFFFu) << "identifier";
    const std::wstring controlClass = t.StringOrOrdinal();
    EXPECT_TRUE(controlClass == L"#130" || _wcsicmp(controlClass.c_str(), L"STATIC") == 0);
    EXPECT_EQ(t.StringOrOrdinal(), Wide("正在进行处理，请稍等。"));
    EXPECT_TRUE(t.Ok()) << "the template ends where it should";
}

INT_PTR CALLBACK NoDialogProcessing(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class WaitDialogTest : public GuiTest {};

TEST_F(WaitDialogTest, ShowsItsCaptionAndTextWithoutACloseBox) {
    HostWindow owner(200, 100);
    HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_WAIT), owner.Handle(),
                                     NoDialogProcessing, 0);
    ASSERT_TRUE(dialog);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    PumpMessages();
    char text[256] = {};
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(text, "正在处理..");
    GetClassNameA(dialog, text, sizeof text);
    EXPECT_STREQ(text, "#32770");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.Handle());
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_TRUE(style & WS_CAPTION);
    HWND message = GetDlgItem(dialog, 0xFFFF);
    ASSERT_TRUE(message);
    GetWindowTextA(message, text, sizeof text);
    EXPECT_STREQ(text, "正在进行处理，请稍等。");
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "宋体");

    // Centred on the screen, 250 x 50 dialog units of its font.
    RECT units = {0, 0, 250, 50};
    MapDialogRect(dialog, &units);
    RECT client, outer;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &outer);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_LE(std::abs((outer.left + outer.right) / 2 - screenWidth / 2), 2);

    Image shown = CaptureClient(dialog);
    EXPECT_FALSE(SaveScreenshot(shown, "wait_dialog").empty());
    DestroyWindow(dialog);
}

} // namespace
