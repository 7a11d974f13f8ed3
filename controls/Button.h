// The wizard's navigation button: three painted faces, a caption, and a command sent
// to the parent when a press is released over it, or on Space or Enter when it has the
// focus. Its control id is its command, so that the dialog manager sends the same.
#pragma once

#include "controls/Accessible.h"
#include "controls/WindowClass.h"

#include <windows.h>

#include <cstdint>
#include <string>

class Button : public velk::ObjectWindow, private velk::AccessibleParts {
public:
    static constexpr int kWidth = 112;
    static constexpr int kHeight = 37;
    static constexpr int kFocusInset = 4;

    Button() = default;

    // A visible, enabled child at (x, y) with no caption and no command.
    void Create(HWND parent, int x, int y);
    // Clicks send commandId (0 sends nothing).
    void Enable(const std::string& text, int32_t commandId);
    // Ends a press under way; the button sends nothing until enabled again.
    void Disable(const std::string& text);

    HWND Handle() const { return m_hWndButton; }

private:
    HWND& HandleSlot() override { return m_hWndButton; }
    void Paint(HDC dc, const RECT& area) override;
    LRESULT OnLButtonDown(POINT at) override;
    LRESULT OnMouseMove(POINT at) override;
    LRESULT OnLButtonUp(POINT at) override;
    LRESULT OnCaptureChanged() override;
    LRESULT OnGetDlgCode() override;
    LRESULT OnKeyDown(UINT key, LPARAM flags) override;
    LRESULT OnSetFocus() override;
    LRESULT OnKillFocus() override;
    LRESULT OnUpdateUiState() override;
    void Send();
    LRESULT OnCommand(int32_t id) override;
    velk::Accessible* Accessibility() override { return &m_accessible; }
    velk::AccessiblePart DescribePart(LONG child) const override;
    bool DoDefaultAction(LONG child) override;
    void Redraw();
    // The window's text, cut to 127 bytes.
    std::string Caption() const;

    HWND m_hWndButton = nullptr;
    HWND m_hWndParent = nullptr;
    int32_t m_commandId = 0;
    bool m_pressed = false;  // held, and the pointer is over the button now
    bool m_tracking = false; // held: the button has the capture
    bool m_sending = false;  // the parent is handling the click
    velk::Accessible m_accessible{*this};
};
