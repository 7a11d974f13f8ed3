// Parts of the prefix's real registry that a test lets another program change: their
// state is written to a file before the test touches them and put back exactly
// afterwards. A run that died on the way leaves the file, and the next run puts that
// state back before it saves its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct GuardedValue {
    std::wstring name;
    DWORD type = 0;
    std::vector<uint8_t> data;
};

struct GuardedKey {
    std::wstring name;
    std::vector<GuardedValue> values;
    std::vector<GuardedKey> subkeys;
};

struct GuardedRegion {
    uint32_t root = 0;
    std::string path;
    // The key's values only, or the key with everything below it.
    bool wholeTree = false;
    bool existed = false;
    GuardedKey state;
};

class RegistryGuard {
public:
    explicit RegistryGuard(std::string file) : m_file(std::move(file)) {}

    // Puts back what a run that did not finish saved; true when there was nothing to do
    // or it was put back.
    bool RecoverLeftover();
    // Reads the regions as they are now and writes them to the file.
    bool Save(const std::vector<GuardedRegion>& regions);
    // Makes every saved region exactly as it was, then removes the file.
    bool Restore();

private:
    std::string m_file;
    std::vector<GuardedRegion> m_regions;
};

// Every value and key below root\path in a canonical text form, through the wide
// calls so that no name is lost to the code page.
std::string DumpTreeExactly(uint32_t root, const std::string& path);
