#include "engine/GbkText.h"

#include "engine/PathRules.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr UINT kGbk = 936;

// Just past the character at i. By length, not by a zero byte: a std::string may hold one.
size_t NextChar(const char* text, size_t i, size_t length) {
    const bool lead = IsDBCSLeadByteEx(kGbk, static_cast<BYTE>(text[i]));
    return i + (lead && i + 1 < length ? 2 : 1);
}

size_t LastBackslashOf(const char* text, size_t length) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < length; i = NextChar(text, i, length))
        if (text[i] == '\\') last = i;
    return last;
}

// ASCII is its own code page 936 form: most of what the registry holds needs no
// conversion, which checks each character the long way.
bool IsAscii(const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= 0x80) return false;
    return true;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Byte by byte is sound for these needles: '.' is never a second byte, so a match
// starts on a character.
const char* FindNoCase(const char* text, const char* needle) {
    for (const char* p = text; *p; ++p)
        if (StartsWithNoCase(p, needle)) return p;
    return nullptr;
}

} // namespace

bool StartsWithNoCase(const char* text, std::string_view prefix) {
    for (char c : prefix)
        if (LowerAscii(*text++) != LowerAscii(c)) return false; // stops at text's zero
    return true;
}

size_t LastBackslash(const std::string& path) {
    return LastBackslashOf(path.data(), path.size());
}

bool EndsWithBackslash(const char* text) {
    size_t length = std::strlen(text);
    return length > 0 && LastBackslashOf(text, length) == length - 1;
}

bool ToExactGbk(const wchar_t* text, size_t length, char* buffer, size_t size) {
    if (size == 0 || length >= size) return false; // each character takes a byte at least
    if (IsAscii(text, length)) {
        for (size_t i = 0; i < length; ++i)
            buffer[i] = static_cast<char>(text[i]);
        buffer[length] = 0;
        return true;
    }
    BOOL inexact = FALSE;
    const int written =
        WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), buffer,
                            static_cast<int>(size - 1), nullptr, &inexact);
    if (written <= 0 || inexact) return false;
    buffer[written] = 0;
    return true;
}

bool HasExactGbkForm(const wchar_t* text, size_t length) {
    BOOL inexact = FALSE;
    return IsAscii(text, length) ||
           (WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), nullptr,
                                0, nullptr, &inexact) > 0 &&
            !inexact);
}

std::wstring WideFromGbk(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(kGbk, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0) MultiByteToWideChar(kGbk, 0, text.data(), size, &out[0], wide);
    return out;
}

bool IsBareFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (size_t i = 0; i < name.size(); i = NextChar(name.data(), i, name.size()))
        if (name[i] == '\\' || name[i] == '/' || name[i] == ':') return false;
    return true;
}

size_t CopyLowerCase(const char* text, char* buffer, size_t size) {
    size_t length = std::strlen(text);
    size_t n = 0;
    while (n < length) {
        size_t next = NextChar(text, n, length);
        if (next >= size) return size;
        if (next == n + 1)
            buffer[n] = LowerAscii(text[n]);
        else
            std::memcpy(buffer + n, text + n, 2);
        n = next;
    }
    buffer[n] = 0;
    return n;
}

bool IsBlank(char c, Blank blank) {
    return blank == Blank::AnyHighByte ? static_cast<signed char>(c) <= 0x20
                                       : static_cast<unsigned char>(c) <= 0x20;
}

const char* ProgramExtensionEnd(const char* text) {
    if (!StartsWithDrivePrefix(text)) return nullptr;
    const char* found = FindNoCase(text + 3, ".exe");
    if (!found) found = FindNoCase(text + 3, ".bat");
    return found ? found + 4 : nullptr;
}

size_t ProgramPathLength(const char* text, Blank blank) {
    if (const char* end = ProgramExtensionEnd(text)) return static_cast<size_t>(end - text);
    size_t n = 0;
    while (text[n] && !IsBlank(text[n], blank))
        ++n;
    return n;
}
