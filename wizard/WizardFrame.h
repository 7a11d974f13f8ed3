// The one main window: the header with the page title, the page area and the footer
// with the three navigation buttons. It switches the pages and dispatches every
// command; the identifiers the buttons carry are the whole state of the wizard.
#pragma once

#include "backup/BackupFilePage.h"
#include "backup/BackupManager.h"
#include "controls/Button.h"
#include "controls/ProgressPage.h"
#include "controls/ResultPage.h"
#include "controls/WindowClass.h"
#include "engine/JobEnumerator.h"
#include "engine/ProblemItem.h"
#include "engine/RegistryRepairer.h"
#include "wizard/DialogKeys.h"
#include "wizard/WelcomePage.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The low word of a WM_COMMAND's wParam.
enum WizardCommand : int32_t {
    ID_WELCOME_CONTINUE = 1001,
    ID_SCAN_STOP = 1004,
    ID_RESULTS_BACK = 1005,
    ID_RESULTS_FIX = 1006,
    ID_BACKUPS_BACK = 1007,
    ID_BACKUPS_CONTINUE = 1008,
    ID_RECORDS_BACK = 1009,
    ID_RECORDS_RESTORE = 1010,
    ID_SCAN_FINISHED = 1011,
    ID_SCAN_STOPPED = 1012,
    ID_EXIT = 1200,
};

class WizardFrame : public velk::ObjectWindow {
public:
    static constexpr int kClientWidth = 690;
    static constexpr int kClientHeight = 496;
    static constexpr int kHeaderHeight = 59;
    static constexpr int kFooterTop = 455;
    static constexpr RECT kTitleRect = {30, 0, 630, 59};
    static constexpr RECT kHelpRect = {524, 31, 592, 49};

    // Stops the program when a frame exists already.
    WizardFrame();
    // A scan still running is stopped and has ended before the members go.
    ~WizardFrame();

    // The main window, centred with a 690 x 496 client area, its buttons and pages; hidden.
    void Create();
    // The welcome page and the window, then the message loop until WM_QUIT. The keyboard
    // works the wizard as a dialog: Tab, Enter for Continue, Esc for Cancel.
    int Run();
    // One message of the loop: the dialog manager's keys first, then the window's own.
    void Deliver(MSG& msg);

    // The steps of the wizard, each with its title, buttons and page.
    enum class Step { Welcome, Scan, Results, Backups, Records };
    void ShowStep(Step step);
    void ShowWelcomePage() { ShowStep(Step::Welcome); }
    void ShowScanResults() { ShowStep(Step::Results); }
    void ShowBackupFiles() { ShowStep(Step::Backups); }
    void ShowRestoreRecords() { ShowStep(Step::Records); }
    // Backs the list up if the user wants, then removes the ticked items.
    void Fix();
    // Writes the ticked records back from the backup chosen last.
    void Restore();
    // A still picture while the work runs on this thread; no message is handled meanwhile.
    void ShowWaitDialog();
    void HideWaitDialog();
    void SetTitle(const std::string& title);
    // The help document next to the executable, in its associated program.
    void OpenHelp();

    static WizardFrame* m_Singleton;

    // Construction order is this order; the job list outlives every page.
    HWND m_hWndWizard;
    JobEnumerator m_JobEnumerator;
    Button m_BackButton;
    Button m_NextButton;
    Button m_CancelButton;
    velk::WelcomePage m_WelcomePage;
    velk::ProgressPage m_ProgressPage;
    velk::BackupFilePage m_BackupFilePage;
    velk::ResultPage m_ResultPage;
    ProblemList m_Items;
    BackupManager m_BackupManager;
    RegistryRepairer m_Repairer;
    std::string m_strTitle;
    HWND m_hWndWait = nullptr;
    DialogKeys m_Keys;

private:
    static HWND NoFrameYet();
    // Hides the page of the step left and shows the next one.
    void Leave(const velk::WizardPage& page, Step next);
    // The box saying how a fix or a restore went, then the welcome page.
    void Finish(bool ok, const char* problem, const char* caption, UINT icon);
    HWND& HandleSlot() override { return m_hWndWizard; }
    LRESULT OnCommand(int32_t id) override;
    LRESULT OnSetCursor(HWND under, int hitTest) override;
    LRESULT OnLButtonDown(POINT at) override;
    LRESULT OnDestroy() override;
    LRESULT OnActivate(bool active) override;
    LRESULT OnSetFocus() override;
    LRESULT OnGetDefId() override;
    LRESULT OnQueryUiState() override;
    void Paint(HDC dc, const RECT& area) override;
    void Centre();
};
