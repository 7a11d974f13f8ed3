#include "engine/Instance.h"

#include "engine/GbkText.h"

HINSTANCE g_hInstance = nullptr;

std::string ProgramFolder() {
    char module[2048];
    const DWORD length = GetModuleFileNameA(g_hInstance, module, sizeof module);
    if (length == 0 || length >= sizeof module) return {};
    std::string path(module, length);
    // Not find_last_of: the second byte of a GBK character may be a backslash.
    const size_t slash = LastBackslash(path);
    return slash == std::string::npos ? std::string() : path.erase(slash + 1);
}
