// A window's client area as a screen reader reads it (MSAA), from this process or another.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

struct AccessibleReader {
    explicit AccessibleReader(HWND hwnd) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&acc));
    }
    ~AccessibleReader() {
        if (acc) acc->Release();
        CoUninitialize();
    }
    static VARIANT Child(LONG id) {
        VARIANT v{};
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    // Empty when the call fails.
    std::wstring Name(LONG id) const {
        BSTR text = nullptr;
        acc->get_accName(Child(id), &text);
        const std::wstring name = text ? std::wstring(text, SysStringLen(text)) : L"";
        SysFreeString(text);
        return name;
    }
    // The failure's code when the call fails.
    LONG Role(LONG id) const { return Get(&IAccessible::get_accRole, id); }
    LONG State(LONG id) const { return Get(&IAccessible::get_accState, id); }
    HRESULT Act(LONG id) const { return acc->accDoDefaultAction(Child(id)); }
    LONG Get(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG id) const {
        VARIANT v{};
        const HRESULT hr = (acc->*get)(Child(id), &v);
        return FAILED(hr) ? hr : v.lVal;
    }
    // How many children AccessibleChildren hands out, as simple elements 1 to n.
    size_t Children() const {
        LONG count = 0, obtained = 0;
        acc->get_accChildCount(&count);
        std::vector<VARIANT> children(static_cast<size_t>(count));
        AccessibleChildren(acc, 0, count, children.data(), &obtained);
        size_t n = 0;
        while (n < static_cast<size_t>(obtained) && children[n].vt == VT_I4 &&
               children[n].lVal == static_cast<LONG>(n) + 1)
            ++n;
        return n;
    }

    IAccessible* acc = nullptr;
};
