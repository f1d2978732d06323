#include "FailingNew.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace kinpath::testing {

std::atomic<std::size_t> FailFrom{SIZE_MAX};
std::atomic<std::size_t> FailBelow{SIZE_MAX};

}  // namespace kinpath::testing

void* operator new(std::size_t size) {
    if (size >= kinpath::testing::FailFrom.load() && size < kinpath::testing::FailBelow.load())
        throw std::bad_alloc();
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
// GCC takes the free() of a replaced operator delete for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
// The library's own nothrow forms would pair their allocator with the free() above.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
