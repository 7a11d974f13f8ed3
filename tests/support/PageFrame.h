// What the frame puts around a page, for a screenshot of a page tested on its own:
// the header and footer bands and the three buttons, on a 690 x 496 host.
#pragma once

#include "controls/Button.h"
#include "engine/Handles.h"

class PageFrame {
public:
    explicit PageFrame(HWND host);

private:
    // Declared first, so the bands' pictures outlive the buttons; the host's windows
    // should be destroyed before the frame goes.
    GdiObject m_header, m_footer;

public:
    Button back, next, cancel;
};
