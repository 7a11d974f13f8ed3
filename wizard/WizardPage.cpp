#include "wizard/WizardPage.h"

#include "controls/Look.h"

namespace velk {

void WizardPage::Create(HWND parent) {
    CreateObjectWindow("wizard_page_class", nullptr, WS_CHILD, 0, kTop, kWidth, kHeight, parent);
    // Tab goes into the page's controls.
    SetWindowLongPtrA(m_hWndPage, GWL_EXSTYLE,
                      GetWindowLongPtrA(m_hWndPage, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
}

LRESULT WizardPage::OnCtlColorStatic(HDC dc, HWND) {
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

} // namespace velk
