#include "tests/server/largest_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> largest{0};

void note(std::size_t size)
{
    std::size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

} // namespace

// Replaces the global operator new of the whole test program (httplib's
// library included), so every std::string a request grows is seen.
void* operator new(std::size_t size)
{
    note(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zov::test {

void resetLargestAllocation() { largest.store(0, std::memory_order_relaxed); }
std::size_t largestAllocation() { return largest.load(std::memory_order_relaxed); }

} // namespace zov::test
