#include "controls/DoubleBufferedPaint.h"

namespace velk {

DoubleBufferedPaint::DoubleBufferedPaint(HWND hwnd, int width, int height)
    : m_paint(hwnd), m_width(width), m_height(height), m_buffer(CreateCompatibleDC(m_paint.Dc())),
      m_bitmap(CreateCompatibleBitmap(m_paint.Dc(), width, height)),
      m_selection(m_buffer.Get(), m_bitmap.Get()) {}

DoubleBufferedPaint::DoubleBufferedPaint(HWND hwnd) : DoubleBufferedPaint(hwnd, ClientSize(hwnd)) {}

DoubleBufferedPaint::~DoubleBufferedPaint() {
    if (m_buffer && m_bitmap)
        BitBlt(m_paint.Dc(), 0, 0, m_width, m_height, m_buffer.Get(), 0, 0, SRCCOPY);
}

SIZE DoubleBufferedPaint::ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

GdiObject CreateWizardFont(HDC dc, int points, int weight, const char* face) {
    const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    return GdiObject(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, 0, FF_SWISS, face));
}

} // namespace velk
