#include "wizard/WizardPage.h"

namespace velk {

void WizardPage::Create(HWND parent) {
    CreateObjectWindow("wizard_page_class", nullptr, WS_CHILD, 0, kTop, kWidth, kHeight, parent);
}

LRESULT WizardPage::OnCtlColorStatic(HDC dc, HWND) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

} // namespace velk
