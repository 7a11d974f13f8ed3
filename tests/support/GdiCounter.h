// The GDI objects this process holds, -1 when unknown: Wine's GetGuiResources is a stub,
// so this counts the used entries of the GDI handle table. Compare after a warm-up round.
#pragma once

#include <windows.h>

#include <cstdint>

inline int CountGdiObjects() {
    uintptr_t teb = 0; // the TEB's own address
#ifdef _WIN64
    asm("movq %%gs:0x30, %0" : "=r"(teb));
#else
    asm("movl %%fs:0x18, %0" : "=r"(teb));
    // The 32-bit PEB has no table under WoW64: the 64-bit TEB, this far away, leads to it.
    teb += static_cast<uintptr_t>(*reinterpret_cast<const LONG*>(teb + 0xFDC));
#endif
    // 64-bit pointers, all below 4 GB under WoW64.
    auto follow = [](uintptr_t at) {
        return static_cast<uintptr_t>(*reinterpret_cast<uint64_t*>(at));
    };
    // The PEB's GdiSharedHandleTable: 65536 entries of 24 bytes, type byte 0 when free.
    const uintptr_t peb = teb ? follow(teb + 0x60) : 0, table = peb ? follow(peb + 0xF8) : 0;
    int used = 0;
    for (uintptr_t entry = table; table && entry < table + 0x10000 * 24; entry += 24)
        used += reinterpret_cast<const uint8_t*>(entry)[14] != 0;
    return table ? used : -1;
}
