// The page of a list of items: the groups on the left, the cards of the chosen group
// on the right. The two panes cover the page; it draws nothing itself.
#pragma once

#include "controls/GroupView.h"
#include "controls/ResultView.h"
#include "engine/ProblemItem.h"
#include "wizard/WizardPage.h"

namespace velk {

class ResultPage : public WizardPage {
public:
    static constexpr int kGroupWidth = 264;

    // Shows a new or changed list, all of it, from the top. The panes point into
    // items: the caller keeps it unchanged while the page can be seen.
    void SetItems(ProblemList& items);

    ResultView m_ResultView;
    GroupView m_GroupView;

private:
    LRESULT OnCreate() override;
};

} // namespace velk
