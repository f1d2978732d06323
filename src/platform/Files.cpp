#include "platform/Files.h"

#include <cerrno>
#include <stdexcept>

namespace kinpath {

int File::ReadAll(LargeBytes& bytes, std::uint64_t limit) {
    // One read of the size the file has, so a file that grows meanwhile (a log
    // named script.txt) cannot keep the reader busy.
    const std::uint64_t size = Size();
    if (size > limit || size > bytes.max_size()) throw std::length_error("file too large to hold");
    // A LargeBytes of megabytes starts on a large page, so reading into it
    // costs a handful of page faults rather than one per 4 KB.
    bytes.reserve(static_cast<std::size_t>(size));
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::ptrdiff_t got = Read(bytes.data() + done, bytes.size() - done);
        if (got < 0) return errno != 0 ? errno : EIO;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return 0;
}

}  // namespace kinpath
