#include "support/RemoteProgram.h"

#include "support/UserInput.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The icon control of the system's message box.
constexpr int kBoxIconId = 0x440;
constexpr int kBoxTextId = 0xFFFF;
constexpr SIZE_T kRemoteSize = 8192;

struct Search {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::strcmp(className, search->className) == 0)
        search->found.push_back(window);
    return TRUE;
}

bool HasButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && IsWindowVisible(button);
}

bool IsMessageBox(HWND dialog) {
    return HasButton(dialog, IDOK) || HasButton(dialog, IDYES);
}

// The candidate the shown icon resembles most, drawn on the control's background.
std::string IconName(HWND box) {
    HWND control = GetDlgItem(box, kBoxIconId);
    if (!control || !IsWindowVisible(control)) return std::string();
    const Image shown = CaptureScreenOf(control);
    if (shown.width < 32 || shown.height < 32) return std::string();
    const struct {
        LPCSTR id;
        const char* name;
    } candidates[] = {{IDI_INFORMATION, "information"},
                      {IDI_QUESTION, "question"},
                      {IDI_WARNING, "warning"},
                      {IDI_ERROR, "error"}};
    const uint32_t background = shown.At(shown.width - 1, shown.height - 1);
    std::string best;
    long bestDistance = -1;
    for (const auto& c : candidates) {
        HDC screen = GetDC(nullptr);
        MemoryDc dc(CreateCompatibleDC(screen));
        GdiObject bitmap(CreateCompatibleBitmap(screen, 32, 32));
        ReleaseDC(nullptr, screen);
        SelectedObject selected(dc.Get(), bitmap.Get());
        GdiObject brush(
            CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF)));
        RECT all = {0, 0, 32, 32};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
        DrawIconEx(dc.Get(), 0, 0, LoadIconA(nullptr, c.id), 32, 32, 0, nullptr, DI_NORMAL);
        long distance = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const COLORREF drawn = GetPixel(dc.Get(), x, y);
                const uint32_t s = shown.At(x, y);
                distance += std::abs(int(GetRValue(drawn)) - int((s >> 16) & 0xFF)) +
                            std::abs(int(GetGValue(drawn)) - int((s >> 8) & 0xFF)) +
                            std::abs(int(GetBValue(drawn)) - int(s & 0xFF));
            }
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = c.name;
        }
    }
    return best;
}

} // namespace

RemoteProgram::~RemoteProgram() {
    Kill();
}

bool RemoteProgram::Start(const std::string& exePath) {
    const std::string folder = exePath.substr(0, exePath.find_last_of('\\'));
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_processId = info.dwProcessId;
    WaitForInputIdle(info.hProcess, 10000);
    return true;
}

bool RemoteProgram::Running() const {
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool RemoteProgram::WaitForExit(DWORD milliseconds) {
    return !m_process || WaitForSingleObject(m_process.Get(), milliseconds) == WAIT_OBJECT_0;
}

void RemoteProgram::Kill() {
    if (Running()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 10000);
    }
}

std::vector<HWND> RemoteProgram::TopWindows(const char* className) const {
    Search search = {m_processId, className, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeout) return done();
        Sleep(20);
    }
    return true;
}

bool WaitForBox(const RemoteProgram& program, SeenBox& box, DWORD timeout,
                const std::function<void()>& also) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            if (also) also();
            for (HWND dialog : program.TopWindows("#32770"))
                if (IsMessageBox(dialog)) found = dialog;
            return found != nullptr;
        },
        timeout);
    if (!found) return false;
    Sleep(150); // painted before it is read from the screen
    box = SeenBox();
    box.window = found;
    box.caption = WindowText(found);
    box.text = WindowText(GetDlgItem(found, kBoxTextId));
    box.yesNo = HasButton(found, IDYES) && HasButton(found, IDNO);
    box.icon = IconName(found);
    return true;
}

HWND FindButtonlessDialog(const RemoteProgram& program) {
    for (HWND dialog : program.TopWindows("#32770"))
        if (!IsMessageBox(dialog)) return dialog;
    return nullptr;
}

void Answer(const SeenBox& box, int buttonId) {
    RECT area = {};
    GetWindowRect(box.window, &area);
    const Image shown = CaptureWindow(nullptr, area);
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 10000);
    // The screen beneath can take a second to be drawn again.
    WaitUntil([&] { return CaptureWindow(nullptr, area) != shown; }, 10000);
}

Image CaptureScreenOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return CaptureWindow(nullptr, r); // the screen's DC: every process's windows
}

Image CaptureScreenArea(HWND window, const RECT& client) {
    RECT r = client;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return CaptureWindow(nullptr, r);
}

std::string WindowText(HWND window) {
    // Read from where the system keeps it: no message, so a busy program answers too.
    char text[2048] = {};
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* className) {
    std::vector<HWND> children;
    for (HWND child = FindWindowExA(parent, nullptr, className, nullptr); child;
         child = FindWindowExA(parent, child, className, nullptr))
        children.push_back(child);
    return children;
}

RemoteListView::RemoteListView(HANDLE process, HWND list) : m_process(process), m_list(list) {
    m_remote =
        VirtualAllocEx(process, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
    if (m_remote) VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
}

int RemoteListView::Count() const {
    return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
}

int RemoteListView::SelectedCount() const {
    return static_cast<int>(SendMessageA(m_list, LVM_GETSELECTEDCOUNT, 0, 0));
}

std::string RemoteListView::Text(int row, int column) const {
    if (!m_remote) return "<no buffer>";
    // The structure first, its text buffer right after it.
    char* base = static_cast<char*>(m_remote);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = base + 256;
    item.cchTextMax = 4096;
    char empty = 0;
    WriteProcessMemory(m_process, base + 256, &empty, 1, nullptr);
    WriteProcessMemory(m_process, base, &item, sizeof item, nullptr);
    SendMessageA(m_list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(base));
    char text[4097] = {};
    ReadProcessMemory(m_process, base + 256, text, 4096, nullptr);
    return text;
}

std::string RemoteListView::ColumnHeader(int column) const {
    if (!m_remote) return "<no buffer>";
    char* base = static_cast<char*>(m_remote);
    LVCOLUMNA header = {};
    header.mask = LVCF_TEXT;
    header.pszText = base + 256;
    header.cchTextMax = 256;
    WriteProcessMemory(m_process, base, &header, sizeof header, nullptr);
    if (!SendMessageA(m_list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(base)))
        return "<none>";
    char text[257] = {};
    ReadProcessMemory(m_process, base + 256, text, 256, nullptr);
    return text;
}

RECT RemoteListView::RowRect(int row) const {
    RECT r = {};
    r.left = LVIR_LABEL;
    if (!m_remote) return r;
    WriteProcessMemory(m_process, m_remote, &r, sizeof r, nullptr);
    SendMessageA(m_list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(m_remote));
    ReadProcessMemory(m_process, m_remote, &r, sizeof r, nullptr);
    return r;
}
