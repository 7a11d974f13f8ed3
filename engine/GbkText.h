// Code page 936 text as the registry and the file system give it. A double-byte
// character's second byte may be 0x5C (a backslash) or an ASCII letter, so these walk
// the text character by character; nothing else takes a GBK text apart by hand.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whether text begins with prefix, A to Z in either case. Byte by byte: sound for an
// ASCII prefix, whose bytes a double-byte character can only match as a second byte.
bool StartsWithNoCase(const char* text, std::string_view prefix);

// The byte offset of the last backslash character; npos when there is none.
size_t LastBackslash(const std::string& path);
bool EndsWithBackslash(const char* text);
// The code page 936 form of length UTF-16 units, with a zero after it; false when it
// does not fit size bytes or a character has no exact form there: a look-alike
// would name another file, and a key or value the A functions cannot reach.
bool ToExactGbk(const wchar_t* text, size_t length, char* buffer, size_t size);
// Whether every character of length UTF-16 units has an exact code page 936 form.
bool HasExactGbkForm(const wchar_t* text, size_t length);
// The UTF-16 form of a code page 936 text, for what speaks Unicode only.
std::wstring WideFromGbk(const std::string& text);

// A file name alone: not empty, "." or "..", and without a backslash, '/' or ':'
// character that could lead out of its folder.
bool IsBareFileName(const std::string& name);

// Copies text into buffer with A to Z lowered and returns its length, or size when it
// does not fit. A second byte in A to Z is left alone: changed, it would name another file.
size_t CopyLowerCase(const char* text, char* buffer, size_t size);

// What ends an unquoted piece of a command.
enum class Blank {
    // The uninstall command-line parse: every byte from 0x80 up as well, so an unquoted
    // double-byte character ends a piece. Existing entries are judged by that reading.
    AnyHighByte,
    // The startup check: a space or a byte below it only, so that a Chinese folder name
    // stays part of the program's path instead of leaving some other file to test.
    SpaceOrControl,
};
bool IsBlank(char c, Blank blank);

// Just past the first ".exe" after a drive prefix, any case, else past the first ".bat";
// null when the text has no drive prefix or neither.
const char* ProgramExtensionEnd(const char* text);
// The program a command runs: up to ProgramExtensionEnd, else up to the first blank.
size_t ProgramPathLength(const char* text, Blank blank);
