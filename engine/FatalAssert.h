#pragma once

// Programming errors (a second singleton, a window that cannot be made) stop the
// program with the condition, the module and the line.
[[noreturn]] void FatalAssertion(const char* condition, const char* module, int line);

#define VELK_ASSERT(cond, module) ((cond) ? (void)0 : FatalAssertion(#cond, module, __LINE__))
