// What a screen reader is told of a painted control (MSAA): one IAccessible object per
// window, whose child 0 is the control and children 1 to n its painted parts, answered
// from the control itself.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace velk {

// One part as a reader is told of it; the texts are code page 936, empty for none.
struct AccessiblePart {
    std::string name;
    std::string description;
    std::string defaultAction;
    LONG role = ROLE_SYSTEM_CLIENT;
    LONG state = 0;
    RECT bounds = {}; // client coordinates
};

// What a control answers; child 0 is the control, 1 to PartCount its parts.
class AccessibleParts {
public:
    virtual LONG PartCount() const { return 0; }
    virtual AccessiblePart DescribePart(LONG child) const = 0;
    // False when the part has no action now.
    virtual bool DoDefaultAction(LONG /*child*/) { return false; }
    // The part that has the keyboard focus while the window has it.
    virtual LONG FocusedPart() const { return CHILDID_SELF; }
    // The part under a point of the client area; the control itself between parts.
    virtual LONG PartAt(POINT /*client*/) const { return CHILDID_SELF; }

protected:
    ~AccessibleParts() = default;
};

// The control's hold on its object: made at a reader's first request, and cut when the
// window goes, after which every call of a reader still holding it fails.
class Accessible {
public:
    explicit Accessible(AccessibleParts& parts) : m_parts(parts) {}
    ~Accessible() { Disconnect(); }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    // The answer to WM_GETOBJECT; 0 for an object other than the client area, or when
    // the accessibility DLL cannot be had: then the default window procedure answers.
    LRESULT Answer(HWND hwnd, WPARAM flags, LPARAM objectId);
    void Disconnect();

private:
    class Object;
    AccessibleParts& m_parts;
    Object* m_object = nullptr;
    bool m_gone = false;
};

} // namespace velk
