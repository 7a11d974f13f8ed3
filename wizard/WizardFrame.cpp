#include "wizard/WizardFrame.h"

#include "controls/Look.h"
#include "engine/FatalAssert.h"
#include "engine/GbkText.h"
#include "resources/ResourceIds.h"
#include "engine/Instance.h"

#include <shellapi.h>

#include <algorithm>
#include <functional>

namespace {

const char kClassName[] = "wizard_frame_class";
const DWORD kStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Command 0 disables the button.
void SetButton(Button& button, const char* caption, int32_t commandId) {
    if (commandId)
        button.Enable(caption, commandId);
    else
        button.Disable(caption);
}

bool Checked(HWND radio) {
    return SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Whether a list read from a backup holds anything a restore may write.
bool AnyRestorable(const ProblemList& items) {
    return std::any_of(items.begin(), items.end(),
                       [](const ProblemItem& item) { return !item.foreign; });
}

const char kFolderIsLink[] = "备份文件夹是一个链接（联接点或符号链接），本程序不通过它读写备份。";

// The please-wait dialog takes no part: it is a picture.
INT_PTR CALLBACK NoDialogProcessing(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// One band of artwork across the whole width.
void CopyBand(HDC dc, HDC source, const BitmapHandle& bitmap, int top, int height) {
    SelectedObject selected(source, bitmap.Get());
    BitBlt(dc, 0, top, WizardFrame::kClientWidth, height, source, 0, 0, SRCCOPY);
}

} // namespace

WizardFrame* WizardFrame::m_Singleton = nullptr;

// Checked before the first member is built, so that a second frame stops here and not
// in the job list's own check.
HWND WizardFrame::NoFrameYet() {
    VELK_ASSERT(m_Singleton == 0, "WizardFrame");
    return nullptr;
}

WizardFrame::WizardFrame() : m_hWndWizard(NoFrameYet()) {
    m_Singleton = this;
}

WizardFrame::~WizardFrame() {
    DestroyWindow(m_hWndWizard); // normally gone already; then this fails harmlessly
    // The worker scans with the job list and writes into the progress page.
    m_ProgressPage.EndScan();
    VELK_ASSERT(m_Singleton, "WizardFrame");
    m_Singleton = nullptr;
}

void WizardFrame::Create() {
    CreateObjectWindow(kClassName, "Velk Tidewell 2006", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                       nullptr, LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_APPLICATION_ICON)));
    m_Keys.Attach(m_hWndWizard);
    Centre();

    m_BackButton.Create(m_hWndWizard, 293, 459);
    m_NextButton.Create(m_hWndWizard, 413, 459);
    m_CancelButton.Create(m_hWndWizard, 571, 459);
    m_WelcomePage.Create(m_hWndWizard);
    m_ProgressPage.Create(m_hWndWizard);
    m_ResultPage.Create(m_hWndWizard);
    m_BackupFilePage.Create(m_hWndWizard);
    // Tab reads the page first, then Back, Continue and Cancel.
    for (const Button* button : {&m_BackButton, &m_NextButton, &m_CancelButton})
        SetWindowPos(button->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_hWndWait = nullptr;
}

void WizardFrame::Centre() {
    RECT desktop = {};
    GetClientRect(GetDesktopWindow(), &desktop);
    const LONG left = (desktop.right - kClientWidth) / 2;
    const LONG top = (desktop.bottom - kClientHeight) / 2;
    RECT outer = {left, top, left + kClientWidth, top + kClientHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(m_hWndWizard, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(m_hWndWizard, GWL_EXSTYLE)));
    SetWindowPos(m_hWndWizard, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER);
}

int WizardFrame::Run() {
    ShowWelcomePage();
    ShowWindow(m_hWndWizard, SW_SHOW);
    MSG msg;
    int result;
    while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0)
        Deliver(msg);
    return result;
}

void WizardFrame::SetTitle(const std::string& title) {
    m_strTitle = title;
    InvalidateRect(m_hWndWizard, nullptr, FALSE);
}

void WizardFrame::ShowStep(Step step) {
    // The buttons' command identifiers, 0 for a disabled button, are the wizard's state.
    struct Row {
        const char* title;
        int32_t back;
        int32_t next;
        const char* nextCaption;
        int32_t cancel;
    };
    static const Row kSteps[] = {
        {"欢迎使用 Velk Tidewell", 0, ID_WELCOME_CONTINUE, "继续 >", ID_EXIT},
        {"处理", 0, 0, "继续 >", ID_SCAN_STOP},
        {"扫描结果", ID_RESULTS_BACK, ID_RESULTS_FIX, "修复", ID_EXIT},
        {"选择备份文件", ID_BACKUPS_BACK, ID_BACKUPS_CONTINUE, "继续 >", ID_EXIT},
        {"选择恢复记录", ID_RECORDS_BACK, ID_RECORDS_RESTORE, "继续 >", ID_EXIT},
    };
    const Row& row = kSteps[static_cast<int>(step)];
    SetTitle(row.title);
    SetButton(m_BackButton, "< 后退", row.back);
    SetButton(m_NextButton, row.nextCaption, row.next);
    SetButton(m_CancelButton, "取消", row.cancel);

    velk::WizardPage* page = &m_WelcomePage;
    switch (step) {
    case Step::Welcome:
        break;
    case Step::Scan:
        m_ProgressPage.PrepareScan();
        page = &m_ProgressPage;
        break;
    case Step::Records:
        // Records that are all foreign: the page says there is nothing to restore.
        if (!m_Items.empty() && !AnyRestorable(m_Items)) SetTitle("此备份中没有可以恢复的记录");
        [[fallthrough]];
    case Step::Results:
        m_ResultPage.SetItems(m_Items);
        page = &m_ResultPage;
        break;
    case Step::Backups:
        m_BackupFilePage.Fill();
        if (m_BackupManager.FolderIsLink())
            MessageBoxA(m_hWndWizard, kFolderIsLink, "错误", MB_OK | MB_ICONERROR);
        page = &m_BackupFilePage;
        break;
    }
    // A screen reader names the page by its window's text: the title in the header.
    SetWindowTextA(page->m_hWndPage, m_strTitle.c_str());
    ShowWindow(page->m_hWndPage, SW_SHOW);
    m_Keys.PageShown();
    if (step == Step::Scan) m_ProgressPage.StartScan();
}

void WizardFrame::Deliver(MSG& msg) {
    m_Keys.Deliver(msg);
}

LRESULT WizardFrame::OnActivate(bool active) {
    m_Keys.Activated(active);
    return Default();
}

LRESULT WizardFrame::OnSetFocus() {
    // Until a key is pressed the frame keeps it, so that the mouse shows no focus.
    if (m_Keys.CuesShown()) m_Keys.FocusControl();
    return 0;
}

// The controls ask the top window whether to show their focus.
LRESULT WizardFrame::OnQueryUiState() {
    return m_Keys.UiState();
}

LRESULT WizardFrame::OnGetDefId() {
    // Enter gives Continue wherever the focus is, but on another button.
    const HWND next = m_NextButton.Handle();
    return IsWindowEnabled(next) ? MAKELRESULT(GetDlgCtrlID(next), DC_HASDEFID) : 0;
}

void WizardFrame::Leave(const velk::WizardPage& page, Step next) {
    ShowWindow(page.m_hWndPage, SW_HIDE);
    ShowStep(next);
}

void WizardFrame::ShowWaitDialog() {
    m_hWndWait = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_WAIT), m_hWndWizard,
                                    NoDialogProcessing, 0);
    ShowWindow(m_hWndWait, SW_SHOW);
    // The text too: no message reaches it until the work is done.
    RedrawWindow(m_hWndWait, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void WizardFrame::HideWaitDialog() {
    // Clicks and keys given while the work ran were meant for a screen that is gone.
    const UINT inputRanges[][2] = {{WM_KEYFIRST, WM_KEYLAST},
                                   {WM_MOUSEFIRST, WM_MOUSELAST},
                                   {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    MSG input;
    for (const auto& range : inputRanges)
        while (PeekMessageA(&input, nullptr, range[0], range[1], PM_REMOVE)) {
        }
    if (m_hWndWait) DestroyWindow(m_hWndWait);
    m_hWndWait = nullptr;
}

void WizardFrame::Fix() {
    // Only emptiness counts: a list with nothing ticked is backed up all the same.
    if (m_Items.empty()) {
        MessageBoxA(m_hWndWizard, "这里未修复，你的系统未修改。", "信息",
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    const int answer =
        MessageBoxA(m_hWndWizard, "你希望创建一个备份吗？", "询问", MB_YESNO | MB_ICONQUESTION);
    ShowWaitDialog();
    std::function<bool(const ProblemList&)> backup;
    if (answer == IDYES)
        backup = [&](const ProblemList& kept) {
            return !m_BackupManager.CreateAutomaticBackup(kept).empty();
        };
    const FixOutcome outcome = m_Repairer.Fix(m_Items, m_JobEnumerator, backup);
    if (outcome == FixOutcome::NotBackedUp) {
        HideWaitDialog();
        // Nothing deleted: the results stay, ticks and all, for another try.
        const std::string why = m_BackupManager.FolderIsLink()
                                    ? std::string(kFolderIsLink) + "你的系统未修改。"
                                    : "创建备份文件失败，你的系统未修改。";
        MessageBoxA(m_hWndWizard, why.c_str(), "失败", MB_OK | MB_ICONERROR);
        return;
    }
    HideWaitDialog();
    Finish(outcome == FixOutcome::Done,
           "当移除不需要的记录时可能存在一些问题。如果你创建了一个备份，可以恢复它。", "警告",
           MB_ICONWARNING);
}

void WizardFrame::Restore() {
    if (MessageBoxA(m_hWndWizard, "你真的希望恢复吗？", "询问", MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    ShowWaitDialog();
    FileHandle file = m_BackupManager.OpenBackup(m_BackupFilePage.m_strFileName);
    // A file that is gone, held by another program or no longer the one read writes
    // nothing; held open without sharing, it cannot change after the check. A file
    // that gave no records, or only foreign ones, restored nothing.
    const bool ok = AnyRestorable(m_Items) && m_BackupManager.HoldsRecords(file.Get(), m_Items) &&
                    m_BackupManager.RestoreItems(file.Get(), m_Items);
    file.Reset();
    HideWaitDialog();
    Finish(ok, "当恢复备份文件时将存在一些问题。", "错误", MB_ICONERROR);
}

void WizardFrame::Finish(bool ok, const char* problem, const char* caption, UINT icon) {
    if (ok)
        MessageBoxA(m_hWndWizard, "所有操作已成功完成。", "完成", MB_OK | MB_ICONINFORMATION);
    else
        MessageBoxA(m_hWndWizard, problem, caption, MB_OK | icon);
    Leave(m_ResultPage, Step::Welcome);
}

LRESULT WizardFrame::OnCommand(int32_t id) {
    switch (id) {
    case ID_WELCOME_CONTINUE:
        if (Checked(m_WelcomePage.m_hWndManage)) {
            // Deleting and renaming backups is the file browser's work; the page stays.
            const std::string folder = m_BackupManager.GetBackupFolder();
            if (!folder.empty())
                ShellExecuteA(m_hWndWizard, "explore", folder.c_str(), nullptr, nullptr, SW_SHOW);
            break;
        }
        Leave(m_WelcomePage, Checked(m_WelcomePage.m_hWndRestore) ? Step::Backups : Step::Scan);
        break;
    case ID_SCAN_STOP:
        // The page stays until the worker notices and reports 1012.
        m_ProgressPage.m_Status.stopRequested = true;
        break;
    case ID_RESULTS_BACK:
        Leave(m_ResultPage, Step::Welcome);
        break;
    case ID_RESULTS_FIX:
        Fix();
        break;
    case ID_BACKUPS_BACK:
        m_BackupFilePage.Clear();
        Leave(m_BackupFilePage, Step::Welcome);
        break;
    case ID_BACKUPS_CONTINUE:
        // The name stays with the page for the restore.
        if (!m_BackupFilePage.GetSelectedFile(m_BackupFilePage.m_strFileName)) break;
        // The result page is hidden: nothing shows the list while it is replaced.
        m_Items.clear();
        // An unreadable file shows as an empty list; its name is forgotten, so no file
        // put there later is restored from.
        if (!m_BackupManager.ReadBackup(m_BackupFilePage.m_strFileName, m_Items))
            m_BackupFilePage.m_strFileName.clear();
        m_BackupFilePage.Clear();
        Leave(m_BackupFilePage, Step::Records);
        break;
    case ID_RECORDS_BACK:
        Leave(m_ResultPage, Step::Backups);
        break;
    case ID_RECORDS_RESTORE:
        Restore();
        break;
    case ID_SCAN_FINISHED:
        // The worker waits inside its SendMessageA: the items are complete and still.
        ShowWindow(m_ProgressPage.m_hWndPage, SW_HIDE);
        m_ProgressPage.StopTimer();
        m_Items = m_ProgressPage.m_FoundItems;
        ShowStep(Step::Results);
        break;
    case ID_SCAN_STOPPED:
        m_ProgressPage.StopTimer();
        Leave(m_ProgressPage, Step::Welcome);
        break;
    case IDCANCEL:
        // Esc: what Cancel does on this page.
        if (IsWindowEnabled(m_CancelButton.Handle()))
            OnCommand(GetDlgCtrlID(m_CancelButton.Handle()));
        break;
    case ID_EXIT:
        if (MessageBoxA(m_hWndWizard, "你希望退出吗？", "询问", MB_YESNO | MB_ICONQUESTION) ==
            IDYES)
            DestroyWindow(m_hWndWizard);
        break;
    }
    return 0;
}

void WizardFrame::OpenHelp() {
    const std::string folder = ProgramFolder();
    if (!folder.empty())
        ShellExecuteA(m_hWndWizard, "OPEN", (folder + "help.html").c_str(), nullptr, nullptr,
                      SW_SHOW);
}

LRESULT WizardFrame::OnSetCursor(HWND, int) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(m_hWndWizard, &cursor);
    if (PtInRect(&kHelpRect, cursor))
        SetCursor(LoadCursorA(g_hInstance, MAKEINTRESOURCEA(IDC_HAND_CURSOR)));
    else
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return 0;
}

LRESULT WizardFrame::OnLButtonDown(POINT at) {
    if (PtInRect(&kHelpRect, at)) OpenHelp();
    return 0;
}

LRESULT WizardFrame::OnDestroy() {
    // A scan still running has nothing left to report to: let it stop soon.
    m_ProgressPage.m_Status.stopRequested = true;
    PostQuitMessage(0);
    return 0;
}

void WizardFrame::Paint(HDC dc, const RECT& area) {
    const velk::Look& look = velk::TheLook();
    MemoryDc source(CreateCompatibleDC(dc));
    CopyBand(dc, source.Get(), look.header, 0, kHeaderHeight);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, velk::kWhite);
    {
        SelectedObject selected(dc, look.titleFont.Get());
        RECT title = kTitleRect;
        DrawTextA(dc, m_strTitle.c_str(), -1, &title, DT_SINGLELINE | DT_VCENTER);
    }

    CopyBand(dc, source.Get(), look.footer, kFooterTop, area.bottom - kFooterTop);
    // The page area stays undrawn: WS_CLIPCHILDREN keeps the page and buttons intact.
}
