#include "controls/Accessible.h"

#include "engine/GbkText.h"
#include "engine/StartupGuard.h"

namespace velk {

namespace {

// The accessibility DLL is no KnownDLL and the program runs elevated: it comes from the
// system folder, at a reader's first request, and only these two calls of it are used.
struct Oleacc {
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
};

const Oleacc& TheOleacc() {
    static const Oleacc oleacc = [] {
        Oleacc found;
        if (const HMODULE module = LoadSystemDll(L"oleacc.dll")) {
            found.lresultFromObject = reinterpret_cast<decltype(found.lresultFromObject)>(
                reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
            found.createStdAccessibleObject =
                reinterpret_cast<decltype(found.createStdAccessibleObject)>(
                    reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        }
        return found;
    }();
    return oleacc;
}

void SetChild(VARIANT* out, LONG child) {
    out->vt = VT_I4;
    out->lVal = child;
}

} // namespace

class Accessible::Object final : public IAccessible {
public:
    // The standard object of the client area, if any, answers for the window around it.
    Object(HWND hwnd, AccessibleParts* parts, IAccessible* standard)
        : m_hwnd(hwnd), m_parts(parts), m_standard(standard) {}

    void Forget() {
        m_parts = nullptr;
        if (m_standard) m_standard->Release();
        m_standard = nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(IAccessible))
            return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Readers call the IAccessible methods themselves, not through IDispatch.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!m_parts) return RPC_E_DISCONNECTED;
        return m_standard ? m_standard->get_accParent(parent) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        if (!m_parts) return RPC_E_DISCONNECTED;
        *count = m_parts->PartCount();
        return S_OK;
    }
    // The parts are simple elements, with no object of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        return FAILED(valid) ? valid : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Text(child, &AccessiblePart::name, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Text(child, &AccessiblePart::description, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Text(child, &AccessiblePart::defaultAction, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return Number(child, &AccessiblePart::role, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return Number(child, &AccessiblePart::state, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return None(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return None(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return None(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (!topic) return E_POINTER;
        *topic = 0;
        return None(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!m_parts) return RPC_E_DISCONNECTED;
        if (GetFocus() != m_hwnd) return S_FALSE;
        SetChild(out, m_parts->FocusedPart());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return m_parts ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override {
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        if (FAILED(valid)) return valid;
        RECT r = m_parts->DescribePart(id).bounds;
        MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        LONG id = 0;
        const HRESULT valid = Check(start, &id);
        if (FAILED(valid)) return valid;
        LONG to = 0;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            if (id != CHILDID_SELF) return E_INVALIDARG;
            to = direction == NAVDIR_FIRSTCHILD ? 1 : m_parts->PartCount();
        } else if (id == CHILDID_SELF) {
            // Among the windows around: the standard object knows them.
            return m_standard ? m_standard->accNavigate(direction, start, end) : S_FALSE;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            to = id + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            to = id - 1;
        }
        if (to < 1 || to > m_parts->PartCount()) return S_FALSE;
        SetChild(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!m_parts) return RPC_E_DISCONNECTED;
        POINT at = {x, y};
        RECT client = {};
        ScreenToClient(m_hwnd, &at);
        GetClientRect(m_hwnd, &client);
        if (!PtInRect(&client, at)) return S_FALSE;
        SetChild(out, m_parts->PartAt(at));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        if (FAILED(valid)) return valid;
        // While a box of the program's asks its question, nothing behind it changes.
        if (!IsWindowEnabled(GetAncestor(m_hwnd, GA_ROOT))) return DISP_E_MEMBERNOTFOUND;
        return m_parts->DoDefaultAction(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Object() { Forget(); }

    // The child a reader names: the control or one of its parts, while the window lasts.
    HRESULT Check(const VARIANT& child, LONG* id) const {
        if (!m_parts) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > m_parts->PartCount())
            return E_INVALIDARG;
        *id = child.lVal;
        return S_OK;
    }
    HRESULT Text(const VARIANT& child, std::string AccessiblePart::*field, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        if (FAILED(valid)) return valid;
        const std::wstring text = WideFromGbk(m_parts->DescribePart(id).*field);
        if (text.empty()) return S_FALSE;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Number(const VARIANT& child, LONG AccessiblePart::*field, VARIANT* out) const {
        if (!out) return E_POINTER;
        VariantInit(out);
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        if (FAILED(valid)) return valid;
        SetChild(out, m_parts->DescribePart(id).*field);
        return S_OK;
    }
    HRESULT None(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        LONG id = 0;
        const HRESULT valid = Check(child, &id);
        return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
    }

    LONG m_refs = 1; // the control's own
    HWND m_hwnd;
    AccessibleParts* m_parts;
    IAccessible* m_standard;
};

LRESULT Accessible::Answer(HWND hwnd, WPARAM flags, LPARAM objectId) {
    // 32 bits: on x64 the identifier may arrive without its sign extended.
    if (m_gone || static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    const Oleacc& oleacc = TheOleacc();
    if (!oleacc.lresultFromObject) return 0;
    // Readers' calls arrive through this thread's apartment; every window of the program
    // lives on this one thread.
    static const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static_cast<void>(apartment);
    if (!m_object) {
        IAccessible* standard = nullptr;
        if (oleacc.createStdAccessibleObject &&
            FAILED(oleacc.createStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                    reinterpret_cast<void**>(&standard))))
            standard = nullptr;
        m_object = new Object(hwnd, &m_parts, standard);
    }
    const LRESULT result = oleacc.lresultFromObject(__uuidof(IAccessible), flags, m_object);
    return result > 0 ? result : 0;
}

void Accessible::Disconnect() {
    m_gone = true; // a window being destroyed gets no new object
    if (!m_object) return;
    m_object->Forget();
    // What readers in other processes hold is let go now, so the object goes with ours.
    CoDisconnectObject(m_object, 0);
    m_object->Release();
    m_object = nullptr;
}

} // namespace velk
