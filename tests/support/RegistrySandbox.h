// Redirects HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT to scratch
// keys for the life of the object, so that nothing a test does reaches a real root.
#pragma once

#include "engine/Handles.h"

#include <cstdint>
#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;
    bool Active() const { return m_active; }
    // Where the roots really live, under the real HKEY_CURRENT_USER.
    const std::string& ScratchPath() const { return m_scratch; }

private:
    std::string m_scratch;
    HKEY m_roots[3] = {};
    bool m_active = false;
};

// Planting and reading entries, by root value as the product names them.
inline bool PutValue(uint32_t root, const std::string& path, const std::string& name, DWORD type,
                     const void* data, DWORD size) {
    RegKey key;
    return key.Create(root, path.c_str(), KEY_WRITE) &&
           !RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}
inline bool PutString(uint32_t root, const std::string& path, const std::string& name,
                      const std::string& text, DWORD type = REG_SZ) {
    return PutValue(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}
inline bool PutKey(uint32_t root, const std::string& path) {
    return RegKey().Create(root, path.c_str(), KEY_WRITE);
}
inline bool KeyExists(uint32_t root, const std::string& path) {
    return RegKey().Open(root, path.c_str(), KEY_READ);
}
inline bool ValueExists(uint32_t root, const std::string& path, const std::string& name) {
    RegKey key;
    return key.Open(root, path.c_str(), KEY_READ) &&
           !RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
}
bool RemoveTree(uint32_t root, const std::string& path);
// Every key, value, type and data byte below root\path, sorted: equal dumps, equal trees.
std::string DumpTree(uint32_t root, const std::string& path);
