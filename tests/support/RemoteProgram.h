// A program of the build driven from outside, as a user drives it: started in a
// folder, its windows found by class, its message boxes read and answered, its list
// views read through memory in its own process, its screen read back.
#pragma once

#include "engine/Handles.h"
#include "support/Screenshot.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class RemoteProgram {
public:
    RemoteProgram() = default;
    // Ends the program if it still runs.
    ~RemoteProgram();
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    bool Start(const std::string& exePath);
    bool Running() const;
    // True when the program ended within the time.
    bool WaitForExit(DWORD milliseconds);
    // Ends it at once; only this program, by its own handle.
    void Kill();

    HANDLE Process() const { return m_process.Get(); }
    DWORD ProcessId() const { return m_processId; }

    // Visible top-level windows of the program of a class.
    std::vector<HWND> TopWindows(const char* className) const;

private:
    KernelHandle m_process;
    DWORD m_processId = 0;
};

// A message box of the program as the user sees it.
struct SeenBox {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    bool yesNo = false; // Yes and No, else OK alone
    // Which of the system's information, question, warning and error icons it shows
    // looks most like ("information", ...); empty when it has none.
    std::string icon;
};

// Waits for a message box (a dialog with an OK or a Yes button, so not the
// please-wait dialog) and reads it; `also` runs on each turn of the wait.
bool WaitForBox(const RemoteProgram& program, SeenBox& box, DWORD timeout,
                const std::function<void()>& also = nullptr);
// Any dialog of the program with no buttons (the please-wait dialog), or null.
HWND FindButtonlessDialog(const RemoteProgram& program);
// Clicks the box's button as WM_COMMAND; the box goes.
void Answer(const SeenBox& box, int buttonId);

// Polls until done() or the timeout.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout);

// What the screen shows in a window's rectangle (any process's window).
Image CaptureScreenOf(HWND window);
// The same for a rectangle in a window's client coordinates.
Image CaptureScreenArea(HWND window, const RECT& client);

// A window's text read from outside.
std::string WindowText(HWND window);
// Direct children of a window of a class, in z-order.
std::vector<HWND> ChildrenOfClass(HWND parent, const char* className);

// A list view of another process, read through a buffer in that process.
class RemoteListView {
public:
    RemoteListView(HANDLE process, HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int Count() const;
    int SelectedCount() const;
    std::string Text(int row, int column) const;
    std::string ColumnHeader(int column) const;
    // The row's label rectangle in the list view's client coordinates.
    RECT RowRect(int row) const;

private:
    HANDLE m_process;
    HWND m_list;
    void* m_remote = nullptr; // 8 KiB in the other process
};
