#include "engine/ParsedCommandLine.h"

#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/PathRules.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

ParsedCommandLine g_parsed;

const char* const kDataFileSuffixes[] = {"isu", "log", "ini"};

// A double-byte character outside quotation marks ends a piece.
constexpr Blank kBlank = Blank::AnyHighByte;

// Strictly longer than the suffix, so "ini" alone is no data file.
bool EndsWithSuffix(const char* text, size_t length) {
    if (length <= 3) return false;
    for (const char* suffix : kDataFileSuffixes)
        if (std::memcmp(text + length - 3, suffix, 3) == 0) return true;
    return false;
}

bool IsDataFilePath(const char* text, size_t length) {
    return StartsWithDrivePrefix(text) && EndsWithSuffix(text, length);
}

bool IsDataFilePath(const char* text) {
    return IsDataFilePath(text, std::strlen(text));
}

void AddDataFile(ParsedCommandLine& parsed, const char* path) {
    // The record holds 256; no line that fits the buffer can name more.
    if (parsed.dataFileCount < kMaxDataFiles) parsed.dataFiles[parsed.dataFileCount++] = path;
}

// The text between the first two marks of the token, the closing one cut off; null
// without a pair.
char* CutQuoted(char* token, char mark) {
    char* open = std::strchr(token, mark);
    if (!open) return nullptr;
    char* close = std::strchr(open + 1, mark);
    if (!close) return nullptr;
    *close = 0;
    return open + 1;
}

void TakeToken(ParsedCommandLine& parsed, char* token) {
    for (char mark : {'"', '\''}) {
        const char* candidate = CutQuoted(token, mark);
        if (candidate && IsDataFilePath(candidate)) {
            AddDataFile(parsed, candidate);
            return;
        }
    }
}

// Cuts the arguments at blanks outside double quotation marks. Each token is taken as
// soon as it is cut: taking it writes only inside it.
void SplitArguments(ParsedCommandLine& parsed, char* rest, size_t length) {
    char* token = rest;
    bool quoted = false;
    size_t i = 0;
    while (i < length) {
        char c = rest[i];
        if (c == '"') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (quoted || !IsBlank(c, kBlank)) {
            ++i;
            continue;
        }
        rest[i++] = 0;
        TakeToken(parsed, token);
        token = nullptr;
        while (i < length && IsBlank(rest[i], kBlank))
            ++i;
        if (i < length) {
            // The byte that opens a token is not looked at, a quotation mark included.
            token = rest + i;
            ++i;
        }
    }
    if (token) TakeToken(parsed, token);
}

void TakeArguments(ParsedCommandLine& parsed, char* rest, size_t length) {
    if (IsDataFilePath(rest, length)) {
        AddDataFile(parsed, rest);
        return;
    }
    // "-f" and an unquoted path: the path runs to the end, blanks and all. Splitting
    // it would test "c:\program" instead of the file.
    if (length > 2 && rest[0] == '-' && rest[1] == 'f' && IsDataFilePath(rest + 2, length - 2)) {
        AddDataFile(parsed, rest + 2);
        return;
    }
    SplitArguments(parsed, rest, length);
}

// Sets the program path and returns where its arguments start.
size_t CutProgramPath(ParsedCommandLine& parsed, size_t n, size_t p) {
    char* buffer = parsed.buffer;
    if (buffer[p] == '"') {
        parsed.programPath = buffer + p + 1;
        char* close = std::strchr(buffer + p + 1, '"');
        if (!close) return n;
        *close = 0;
        return static_cast<size_t>(close - buffer) + 1;
    }
    parsed.programPath = buffer + p;
    // A drive path without either extension: the split below ends it at its first blank
    // outside quotation marks.
    if (StartsWithDrivePrefix(buffer + p) && !ProgramExtensionEnd(buffer + p)) return p;
    size_t end = p + ProgramPathLength(buffer + p, kBlank);
    buffer[end] = 0;
    return end;
}

bool FileFound(const char* path) {
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(path, &found));
    return find.Valid() || !LookupSaidNotFound();
}

bool ProgramFound(const char* path) {
    if (!StartsWithDrivePrefix(path))
        return SearchPathA(nullptr, path, ".exe", 0, nullptr, nullptr) != 0 ||
               !LookupSaidNotFound();
    // A full path is looked up as the search looks it up, ".exe" added to a name without
    // an extension, but by a call that says why it failed; the search only says it did.
    std::string probe = path;
    if (probe.find('.', LastBackslash(probe)) == std::string::npos) probe += ".exe";
    return GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES || !LookupSaidNotFound();
}

} // namespace

bool CommandLineTargetMissing(const char* text) {
    ParsedCommandLine& parsed = g_parsed;
    parsed.ready = false;
    parsed.programPath = nullptr;
    parsed.dataFileCount = 0;
    parsed.buffer[0] = 0;
    if (!text || !*text) return false;
    size_t n = CopyLowerCase(text, parsed.buffer, sizeof parsed.buffer);
    if (n >= sizeof parsed.buffer) {
        // Callers read into 2048 bytes and never pass more; a longer text is not parsed.
        parsed.buffer[0] = 0;
        return false;
    }
    size_t p = 0;
    while (p < n && IsBlank(parsed.buffer[p], kBlank))
        ++p;
    if (p == n) return false;
    size_t rest = CutProgramPath(parsed, n, p);
    while (rest < n && IsBlank(parsed.buffer[rest], kBlank))
        ++rest;
    if (rest < n) TakeArguments(parsed, parsed.buffer + rest, n - rest);
    parsed.ready = true;
    return ParsedTargetsMissing();
}

bool ParsedTargetsMissing() {
    const ParsedCommandLine& parsed = g_parsed;
    if (!parsed.ready) return false;
    const char* program = parsed.programPath;
    if (!program || !*program) return true;
    if (!ExistsWithTwin(program, IsDataFilePath(program) ? FileFound : ProgramFound)) return true;
    for (int32_t i = 0; i < parsed.dataFileCount; ++i)
        if (!ExistsWithTwin(parsed.dataFiles[i], FileFound)) return true;
    return false;
}

const ParsedCommandLine& LastParsedCommandLine() {
    return g_parsed;
}
