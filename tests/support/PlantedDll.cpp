// A DLL planted beside a program under a name Windows loads by name: when loaded, it
// leaves "<its own path>.loaded" behind (and with TW_CRASH, then crashes).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyW(path + length, L".loaded");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
#ifdef TW_CRASH
    *static_cast<volatile int*>(nullptr) = 0;
#endif
    return TRUE;
}
