#include "engine/StartupGuard.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Loaded by name, on the program's behalf, by Windows' own components (themes, window
// composition, the common controls, the accessibility and crypto layers).
const wchar_t* const kLoadedByName[] = {
    L"uxtheme.dll", L"dwmapi.dll",  L"version.dll", L"cryptbase.dll", L"msimg32.dll",
    L"winmm.dll",   L"userenv.dll", L"propsys.dll", L"oleacc.dll",    L"profapi.dll",
    L"sspicli.dll", L"cryptsp.dll", L"rsaenh.dll",  L"ntmarta.dll",   L"wtsapi32.dll"};

const wchar_t kWrongCodePage[] =
    L"Tidewell 需要简体中文 Windows 的文字编码（代码页 936）。\n"
    L"请在“控制面板 → 区域 → 管理 → 更改系统区域设置”中把“非 Unicode 程序的语言”设为"
    L"“中文(简体，中国)”，重新启动电脑后再运行本程序。本程序没有读取或修改任何内容。\n\n"
    L"Tidewell needs \"Chinese (Simplified)\" as the language for non-Unicode programs "
    L"(code page 936).\nSet it in Control Panel > Region > Administrative > Change system "
    L"locale, restart the computer and run the program again. Nothing was read or changed.";

} // namespace

void LimitDllSearchToSystemFolder() {
    // Drops the current folder from the search in every case.
    SetDllDirectoryW(L"");
    using SetDefault = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefault>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Loaded now from the system folder: a later load by name, from a component that
    // resolves its imports without the default directories or from a Windows 7 without
    // the loader update, finds them loaded and looks nowhere.
    for (const wchar_t* name : kLoadedByName)
        LoadSystemDll(name);
}

HMODULE LoadSystemDll(const wchar_t* name) {
    const HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the loader update the flag is refused as a whole.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool RequireCodePage936(bool console) {
    if (GetACP() == 936) return true;
    if (!console) {
        MessageBoxW(nullptr, kWrongCodePage, L"Tidewell", MB_OK | MB_ICONERROR);
        return false;
    }
    char text[2048];
    const int size = WideCharToMultiByte(CP_UTF8, 0, kWrongCodePage, -1, text, sizeof text,
                                         nullptr, nullptr);
    if (size > 0) std::fprintf(stderr, "%s\n", text);
    return false;
}
