#include "controls/ResultPage.h"

namespace velk {

void ResultPage::Paint(HDC) {}

bool ResultPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        m_ResultView.Create(m_hWndPage, kGroupWidth, 0, kWidth - kGroupWidth, kHeight);
        m_GroupView.Create(&m_ResultView, m_hWndPage, 0, 0, kGroupWidth, kHeight);
        return true;
    }
    return WizardPage::HandleMessage(message, wParam, lParam);
}

void ResultPage::SetItems(ProblemList& items) {
    m_GroupView.BuildGroups(items);
}

} // namespace velk
