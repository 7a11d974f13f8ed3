#include "engine/ParsedCommandLine.h"

namespace {
ParsedCommandLine g_parsed;
}

bool CommandLineTargetMissing(const char*) { return false; }
bool ParsedTargetsMissing() { return false; }
const ParsedCommandLine& LastParsedCommandLine() { return g_parsed; }
