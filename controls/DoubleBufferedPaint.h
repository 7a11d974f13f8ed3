// One WM_PAINT drawn off screen. Construct it first in a paint handler and draw into
// Dc(); every object the handler creates lives in a narrower scope and is gone before
// this one copies the image to the window and releases its own.
#pragma once

#include "engine/Handles.h"

namespace velk {

class DoubleBufferedPaint {
public:
    // BeginPaint, and a memory DC holding a compatible bitmap the size of the client area.
    explicit DoubleBufferedPaint(HWND hwnd);
    // Copies the whole image to the window at (0, 0), then tears down.
    ~DoubleBufferedPaint();
    DoubleBufferedPaint(const DoubleBufferedPaint&) = delete;
    DoubleBufferedPaint& operator=(const DoubleBufferedPaint&) = delete;

    HDC Dc() const { return m_buffer.Get(); }
    // The whole image, at (0, 0).
    const RECT& Area() const { return m_area; }

private:
    static RECT ClientArea(HWND hwnd);

    // Destroyed bottom-up: the bitmap leaves the buffer, is deleted, the buffer is
    // deleted, and EndPaint comes last.
    PaintScope m_paint;
    RECT m_area;
    MemoryDc m_buffer;
    BitmapHandle m_bitmap;
    SelectedObject m_selection;
};

} // namespace velk
