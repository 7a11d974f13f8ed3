#include "controls/ResultPage.h"

namespace velk {

LRESULT ResultPage::OnCreate() {
    // The groups first: Tab reads them before the cards.
    m_GroupView.Create(&m_ResultView, m_hWndPage, 0, 0, kGroupWidth, kHeight);
    m_ResultView.Create(m_hWndPage, kGroupWidth, 0, kWidth - kGroupWidth, kHeight);
    return 0;
}

void ResultPage::SetItems(ProblemList& items) {
    m_GroupView.BuildGroups(items);
}

} // namespace velk
