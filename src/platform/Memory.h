// Memory advice: on systems that page memory in small pages, first touching a
// fresh buffer of megabytes costs a page fault for every few kilobytes, which
// takes longer than reading a script of that size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace kinpath {

// Asks the system to back the whole large pages inside [data, data + size)
// with large pages, before they are first touched. Only a hint: it changes
// nothing but speed, and nothing at all where the system cannot take it.
void AdviseLargePages(void* data, std::size_t size);

// The size of the system's large pages where it has them (2 MiB), and the
// least a list must take to be given them.
inline constexpr std::size_t LargePage = std::size_t{2} << 20;
inline constexpr std::size_t LargeBuffer = LargePage / 2;
// Elsewhere aligning a list to them would only waste memory.
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
inline constexpr bool HasLargePages = true;
#else
inline constexpr bool HasLargePages = false;
#endif

// An allocator for lists that can grow to megabytes: their memory is whole
// large pages, advised to be large pages before it is first touched.
template <typename T>
struct LargePageAllocator {
    using value_type = T;
    LargePageAllocator() = default;
    template <typename U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (!HasLargePages || n * sizeof(T) < LargeBuffer) return std::allocator<T>().allocate(n);
        // Room to move the start up to the next large page, and to keep the
        // block's own start just before it.
        char* block = static_cast<char*>(::operator new(Pages(n) + LargePage));
        char* start = block + LargePage - reinterpret_cast<std::uintptr_t>(block) % LargePage;
        std::memcpy(start - sizeof block, &block, sizeof block);
        AdviseLargePages(start, Pages(n));
        return reinterpret_cast<T*>(start);
    }
    void deallocate(T* memory, std::size_t n) noexcept {
        if (!HasLargePages || n * sizeof(T) < LargeBuffer) {
            return std::allocator<T>().deallocate(memory, n);
        }
        char* block = nullptr;
        std::memcpy(&block, reinterpret_cast<char*>(memory) - sizeof block, sizeof block);
        ::operator delete(block);
    }
    friend bool operator==(const LargePageAllocator&, const LargePageAllocator&) { return true; }

private:
    static std::size_t Pages(std::size_t n) {
        return (n * sizeof(T) + LargePage - 1) / LargePage * LargePage;
    }
};

// Bytes that can run to megabytes, such as a whole script read at once.
using LargeBytes = std::basic_string<char, std::char_traits<char>, LargePageAllocator<char>>;

}  // namespace kinpath
