// A window's client area as a screen reader reads it (MSAA), from this process or another.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

class AccessibleReader {
public:
    explicit AccessibleReader(HWND hwnd) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        found = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                           __uuidof(IAccessible), reinterpret_cast<void**>(&acc));
    }
    ~AccessibleReader() {
        if (acc) acc->Release();
        CoUninitialize();
    }
    AccessibleReader(const AccessibleReader&) = delete;
    AccessibleReader& operator=(const AccessibleReader&) = delete;

    static VARIANT Child(LONG id) {
        VARIANT v;
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    // Texts are empty, numbers the failure's code, when a call fails.
    std::wstring Name(LONG id) const { return Text(&IAccessible::get_accName, id); }
    std::wstring Description(LONG id) const { return Text(&IAccessible::get_accDescription, id); }
    LONG Role(LONG id) const { return Number(&IAccessible::get_accRole, id); }
    LONG State(LONG id) const { return Number(&IAccessible::get_accState, id); }
    HRESULT Act(LONG id) const { return acc->accDoDefaultAction(Child(id)); }
    // The children's ids, as AccessibleChildren hands them out.
    std::vector<LONG> Children() const {
        LONG count = 0, obtained = 0;
        acc->get_accChildCount(&count);
        std::vector<VARIANT> children(static_cast<size_t>(count));
        AccessibleChildren(acc, 0, count, children.data(), &obtained);
        std::vector<LONG> ids;
        for (size_t i = 0; i < static_cast<size_t>(obtained); ++i)
            ids.push_back(children[i].vt == VT_I4 ? children[i].lVal : -1);
        return ids;
    }

    HRESULT found = E_FAIL;
    IAccessible* acc = nullptr;

private:
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                      LONG id) const {
        BSTR text = nullptr;
        (acc->*get)(Child(id), &text);
        const std::wstring read = text ? std::wstring(text, SysStringLen(text)) : L"";
        SysFreeString(text);
        return read;
    }
    LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG id) const {
        VARIANT v;
        VariantInit(&v);
        const HRESULT hr = (acc->*get)(Child(id), &v);
        return FAILED(hr) ? hr : v.lVal;
    }
};
