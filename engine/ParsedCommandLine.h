// The uninstall command-line rule: which program and data files a line names,
// and whether any of them is gone.
#pragma once

#include <cstdint>

constexpr int kMaxDataFiles = 256;

struct ParsedCommandLine {
    char buffer[2048];       // lower-cased copy, cut up in place
    const char* programPath; // into buffer, or null for none
    int32_t dataFileCount;
    const char* dataFiles[kMaxDataFiles];
    bool ready;
};

// Parses text into the one static record and tests what it names. Not reentrant:
// only the scan thread calls it.
bool CommandLineTargetMissing(const char* text);
// Tests what the last parse recorded.
bool ParsedTargetsMissing();
// The last parse, for diagnostics and tests.
const ParsedCommandLine& LastParsedCommandLine();
