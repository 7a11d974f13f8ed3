#include "support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_live{0};
} // namespace

long LiveAllocations() {
    return g_live.load();
}

// The array, nothrow and sized forms of the library call these.
void* operator new(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    ++g_live;
    return block;
}

void operator delete(void* block) noexcept {
    if (block) {
        --g_live;
        std::free(block);
    }
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
