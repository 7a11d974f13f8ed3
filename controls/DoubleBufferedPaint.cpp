#include "controls/DoubleBufferedPaint.h"

namespace velk {

DoubleBufferedPaint::DoubleBufferedPaint(HWND hwnd)
    : m_paint(hwnd), m_area(ClientArea(hwnd)), m_buffer(CreateCompatibleDC(m_paint.Dc())),
      m_bitmap(CreateCompatibleBitmap(m_paint.Dc(), m_area.right, m_area.bottom)),
      m_selection(m_buffer.Get(), m_bitmap.Get()) {}

DoubleBufferedPaint::~DoubleBufferedPaint() {
    if (m_buffer && m_bitmap)
        BitBlt(m_paint.Dc(), 0, 0, m_area.right, m_area.bottom, m_buffer.Get(), 0, 0, SRCCOPY);
}

RECT DoubleBufferedPaint::ClientArea(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return rc;
}

} // namespace velk
