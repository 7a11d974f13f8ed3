// The record of the documented value example: rootKey 0x80000001, keyPath Software\A,
// itemName v, locationText L, dataText D, description X, jobId 3, kind 0, and a REG_SZ
// value of the 9 bytes "C:\a.exe" with its zero. 68 bytes.
#pragma once

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> WorkedValueRecord() {
    const char bytes[] = "\x01\x00\x00\x80"
                         "\x0B\x00\x00\x00Software\\A\x00"
                         "\x02\x00\x00\x00v\x00"
                         "\x02\x00\x00\x00L\x00"
                         "\x02\x00\x00\x00"
                         "D\x00"
                         "\x02\x00\x00\x00X\x00"
                         "\x03\x00\x00\x00"
                         "\x00\x00\x00\x00"
                         "\x01\x00\x00\x00"
                         "\x09\x00\x00\x00"
                         "C:\\a.exe\x00";
    return std::vector<uint8_t>(bytes, bytes + sizeof bytes - 1);
}
