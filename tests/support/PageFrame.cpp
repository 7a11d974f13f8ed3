#include "support/PageFrame.h"

#include "resources/ResourceIds.h"
#include "wizard/Instance.h"

namespace {

GdiObject Band(HWND host, int id, int y, int height) {
    HWND picture = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, y,
                                   690, height, host, nullptr, nullptr, nullptr);
    GdiObject bitmap(LoadImageA(g_hInstance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get()));
    return bitmap;
}

} // namespace

PageFrame::PageFrame(HWND host)
    : m_header(Band(host, IDB_HEADER, 0, 59)), m_footer(Band(host, IDB_FOOTER, 455, 41)) {
    back.Create(host, 293, 459);
    next.Create(host, 413, 459);
    cancel.Create(host, 571, 459);
}
