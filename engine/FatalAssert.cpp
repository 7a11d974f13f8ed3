#include "engine/FatalAssert.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

void FatalAssertion(const char* condition, const char* module, int line) {
    char text[512];
    std::snprintf(text, sizeof text, "Assertion failed: %s, %s, line %d\n", condition, module,
                  line);
    std::fputs(text, stderr);
    std::fflush(stderr);
    OutputDebugStringA(text);
    std::abort();
}
