#include "support/GdiCounter.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>

namespace {

// Wine's table: 65536 entries of 24 bytes (two 64-bit pointers around the owner and
// type words, in 32-bit processes too); the type byte is at offset 14, 0 when free.
constexpr size_t kEntries = 0x10000;
constexpr size_t kEntrySize = 24;
constexpr size_t kTypeOffset = 14;

// PEB field GdiSharedHandleTable.
#ifdef _WIN64
constexpr size_t kPebTableOffset = 0xF8;
#else
constexpr size_t kPebTableOffset = 0x94;
#endif

const uint8_t* HandleTable() {
    PROCESS_BASIC_INFORMATION info = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info,
                                  &length) != 0 ||
        !info.PebBaseAddress)
        return nullptr;
    const uint8_t* peb = reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
    return *reinterpret_cast<const uint8_t* const*>(peb + kPebTableOffset);
}

} // namespace

int CountGdiObjects() {
    const uint8_t* table = HandleTable();
    if (!table)
        return -1;
    int used = 0;
    for (size_t i = 0; i < kEntries; ++i)
        if (table[i * kEntrySize + kTypeOffset] != 0)
            ++used;
    return used;
}
