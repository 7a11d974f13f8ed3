#include "support/RegistrySandbox.h"

#include "engine/RegistryRepairer.h"

#include <algorithm>
#include <vector>

static const HKEY kPredefined[3] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT};
static const char* const kRootNames[3] = {"HKLM", "HKCU", "HKCR"};
static int g_sandboxCount = 0;

static void DumpKey(HKEY key, const std::string& prefix, std::vector<std::string>& lines) {
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0, type = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                         &maxName, &maxData, nullptr, nullptr))
        return lines.push_back(prefix + " <unreadable>");
    lines.push_back(prefix + "\\");
    // Lengths come in characters; a code page 936 character may take two bytes.
    std::vector<char> name(2 * (maxName + maxSubkey) + 16);
    std::vector<unsigned char> data(maxData + 16);
    for (DWORD i = 0; i < values; ++i) {
        DWORD length = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, i, name.data(), &length, nullptr, &type, data.data(), &size)) {
            lines.push_back(prefix + " <value unreadable>");
            continue;
        }
        std::string line = prefix + "\\:" + name.data() + "|" + std::to_string(type) + "|";
        for (DWORD b = 0; b < size; ++b)
            line += {"0123456789ABCDEF"[data[b] >> 4], "0123456789ABCDEF"[data[b] & 15]};
        lines.push_back(line);
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        RegKey sub;
        if (!RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) &&
            sub.Open(key, name.data(), KEY_READ))
            DumpKey(sub.Get(), prefix + "\\" + name.data(), lines);
        else
            lines.push_back(prefix + " <subkey unreadable>");
    }
}

RegistrySandbox::RegistrySandbox() {
    m_scratch = "Software\\TidewellSandbox\\" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++g_sandboxCount);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_scratch.c_str()); // left by a crashed run
    for (int i = 0; i < 3; ++i)
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (m_scratch + "\\" + kRootNames[i]).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_roots[i], nullptr))
            return;
    // Every root key is opened before any override, so HKCU's own scratch stays reachable.
    for (int i = 0; i < 3; ++i)
        if (RegOverridePredefKey(kPredefined[i], m_roots[i])) return;
    // Nothing of the prefix's own shows through.
    m_active = !KeyExists(kRootLocalMachine, "Software\\Microsoft") &&
               !KeyExists(kRootCurrentUser, "Software\\Microsoft");
}

RegistrySandbox::~RegistrySandbox() {
    for (int i = 0; i < 3; ++i) {
        RegOverridePredefKey(kPredefined[i], nullptr);
        if (m_roots[i]) RegCloseKey(m_roots[i]);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, m_scratch.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TidewellSandbox");
}

bool RemoveTree(uint32_t root, const std::string& path) {
    // The product's own deletion: it reaches the key in the view its path names.
    const size_t slash = path.rfind('\\');
    RegKey parent;
    if (slash == std::string::npos)
        return RegistryRepairer().DeleteKeyTree(RootKeyHandle(root), path.c_str());
    return parent.Open(root, path.substr(0, slash).c_str(), kRepairAccess) &&
           RegistryRepairer().DeleteKeyTree(parent.Get(), path.c_str() + slash + 1);
}

std::string DumpTree(uint32_t root, const std::string& path) {
    RegKey key;
    if (!key.Open(root, path.c_str(), KEY_READ)) return "<absent>";
    std::vector<std::string> lines;
    DumpKey(key.Get(), "", lines);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}
