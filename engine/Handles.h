// One move-only owner per kind of Win32 handle, so that no path leaks one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>

// The predefined roots are negative 32-bit values; sign extension gives the same
// HKEY in a 64-bit build as the Windows headers define.
inline HKEY RootKeyHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<int32_t>(root)));
}

template <typename Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const { return m_handle; }
    bool Valid() const { return m_handle != Traits::Empty(); }
    explicit operator bool() const { return Valid(); }

    Type Release() {
        Type handle = m_handle;
        m_handle = Traits::Empty();
        return handle;
    }
    void Reset(Type handle = Traits::Empty()) {
        if (Valid()) Traits::Close(m_handle);
        m_handle = handle;
    }
    // For out parameters: closes what is held, then hands out the slot.
    Type* Put() {
        Reset();
        return &m_handle;
    }

private:
    Type m_handle = Traits::Empty();
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct FileTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
struct KernelTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
// One per GDI type, so that the handle reaches the API calls without a cast.
template <typename Handle> struct GdiTraits {
    using Type = Handle;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};

struct IconTraits {
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DestroyIcon(h); }
};

using FileHandle = UniqueHandle<FileTraits>;     // empty is INVALID_HANDLE_VALUE
using FindHandle = UniqueHandle<FindTraits>;     // FindFirstFileA's handle
using KernelHandle = UniqueHandle<KernelTraits>; // threads, events
using FontHandle = UniqueHandle<GdiTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiTraits<HBRUSH>>;
using PenHandle = UniqueHandle<GdiTraits<HPEN>>;
using BitmapHandle = UniqueHandle<GdiTraits<HBITMAP>>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using IconHandle = UniqueHandle<IconTraits>; // LoadImageA's icons (not shared ones)

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ImageList_Destroy(h); }
};
using ImageListHandle = UniqueHandle<ImageListTraits>;

// Every key is reached in the view its path names, in either build: on 64-bit Windows
// the 32-bit copy of a redirected key is its literal "Wow6432Node" path.
constexpr REGSAM kPathView = KEY_WOW64_64KEY;

// A registry key; the roots themselves are never owned.
class RegKey : public UniqueHandle<RegKeyTraits> {
public:
    RegKey() = default;
    bool Open(HKEY parent, const char* path, REGSAM access) {
        return RegOpenKeyExA(parent, path, 0, access | kPathView, Put()) == ERROR_SUCCESS;
    }
    bool Open(uint32_t root, const char* path, REGSAM access) {
        return Open(RootKeyHandle(root), path, access);
    }
    bool Open(HKEY parent, const wchar_t* path, REGSAM access) {
        return RegOpenKeyExW(parent, path, 0, access | kPathView, Put()) == ERROR_SUCCESS;
    }
    // Opens, or creates with every missing key above it.
    bool Create(HKEY parent, const char* path, REGSAM access) {
        return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access | kPathView, nullptr, Put(), nullptr) == ERROR_SUCCESS;
    }
    bool Create(uint32_t root, const char* path, REGSAM access) {
        return Create(RootKeyHandle(root), path, access);
    }
};

// RegDeleteKeyA would take a 32-bit build to the 32-bit copy; the Ex form, missing
// from 32-bit Windows XP, is looked up once.
inline bool DeleteRegistryKey(HKEY parent, const wchar_t* name) {
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);
    static const DeleteKeyEx deleteKeyEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExW")));
    return (deleteKeyEx ? deleteKeyEx(parent, name, kPathView, 0) : RegDeleteKeyW(parent, name)) ==
           ERROR_SUCCESS;
}

// The key last reached, kept open while the next ones name the same key: a backup
// lists the values of one key together. Null when the key cannot be had.
class LastKey {
public:
    HKEY Reach(uint32_t root, const std::string& path, REGSAM access, bool create) {
        if (!m_key || root != m_root || path != m_path) {
            m_key.Reset();
            if (!(create ? m_key.Create(root, path.c_str(), access)
                         : m_key.Open(root, path.c_str(), access)))
                return nullptr;
            m_root = root;
            m_path = path;
        }
        return m_key.Get();
    }

private:
    RegKey m_key;
    uint32_t m_root = 0;
    std::string m_path;
};

// Puts an object into a DC and puts the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_previous) SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// GetDC/ReleaseDC as one scope; a null window is the screen.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    ~WindowDc() {
        if (m_dc) ReleaseDC(m_hwnd, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint/EndPaint as one scope.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : m_hwnd(hwnd) { m_dc = BeginPaint(hwnd, &m_ps); }
    ~PaintScope() { EndPaint(m_hwnd, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return m_dc; }
    const RECT& Area() const { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};
