#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kinpath {

namespace {

// What a read past the size the file said goes through.
constexpr std::size_t Chunk = 16384;

int ReadError() { return errno != 0 ? errno : EIO; }

}  // namespace

int File::ReadAll(LargeBytes& bytes, std::uint64_t limit) {
    limit = std::min<std::uint64_t>(limit, bytes.max_size());
    // The size the system reports is where reading starts: a file of its size
    // is read in one read, and a LargeBytes of megabytes starts on a large
    // page, which costs a handful of page faults rather than one per 4 KB.
    const std::uint64_t size = Size();
    if (size > limit) throw std::length_error("file too large to hold");
    bytes.reserve(static_cast<std::size_t>(size));
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    std::array<char, Chunk> more;
    // Then on to the end, which a file of the kernel's (procfs) or one that
    // grew meanwhile has later; the limit bounds a file that keeps growing.
    for (;;) {
        const bool room = done < bytes.size();
        const std::ptrdiff_t got =
            room ? Read(bytes.data() + done, bytes.size() - done) : Read(more.data(), more.size());
        if (got < 0) return ReadError();
        if (got == 0) break;
        if (!room) {
            if (static_cast<std::uint64_t>(got) > limit - done)
                throw std::length_error("file too large to hold");
            bytes.append(more.data(), static_cast<std::size_t>(got));
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return 0;
}

bool File::Holds(std::string_view bytes) {
    if (!Rewind()) return false;
    std::array<char, Chunk> chunk;
    for (;;) {
        const std::ptrdiff_t got = Read(chunk.data(), chunk.size());
        if (got <= 0) return got == 0 && bytes.empty();
        const std::size_t n = static_cast<std::size_t>(got);
        if (n > bytes.size() || std::memcmp(chunk.data(), bytes.data(), n) != 0) return false;
        bytes.remove_prefix(n);
    }
}

}  // namespace kinpath
