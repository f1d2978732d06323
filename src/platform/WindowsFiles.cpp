// File access on Windows, through the C runtime's descriptors and wide names.
// A save names its files by their whole paths.
#include <fcntl.h>
#include <io.h>
#include <sys/locking.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/Files.h"
#include "text/PathText.h"

namespace kinpath {

namespace {

namespace fs = std::filesystem;

FileKind KindOfStatus(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::not_found:
            return FileKind::Missing;
        case fs::file_type::regular:
            return FileKind::Regular;
        case fs::file_type::directory:
            return FileKind::Folder;
        default:
            return FileKind::Other;
    }
}

}  // namespace

File File::OpenToRead(const std::string& name, int& error) {
    const fs::path path = PathFromUtf8(name);
    File file(::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT));
    error = file.IsOpen() ? 0 : errno;
    // Opening a folder is refused as a lack of access; say what it is.
    std::error_code ignored;
    if (!file.IsOpen() && fs::is_directory(path, ignored)) error = EISDIR;
    return file;
}

FileKind File::Kind() const {
    struct _stat64 info {};
    if (::_fstat64(fd_, &info) != 0) return FileKind::Other;
    // A console or a device such as NUL would wait for typing or give nothing.
    switch (info.st_mode & _S_IFMT) {
        case _S_IFREG:
            return FileKind::Regular;
        case _S_IFDIR:
            return FileKind::Folder;
        default:
            return FileKind::Other;
    }
}

std::uint64_t File::Size() const {
    struct _stat64 info {};
    return ::_fstat64(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::ptrdiff_t File::Read(char* to, std::size_t n) {
    // _read takes an unsigned count but returns an int.
    return ::_read(fd_, to, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
}

bool File::Rewind() { return ::_lseeki64(fd_, 0, SEEK_SET) == 0; }

bool File::Close() { return fd_ < 0 || ::_close(std::exchange(fd_, -1)) == 0; }

FileKind KindOf(const std::string& name) {
    std::error_code ec;
    return KindOfStatus(fs::status(PathFromUtf8(name), ec));
}

std::string StoredName(std::string_view name) {
    const std::size_t end = name.find_last_not_of(". ");
    return std::string(name.substr(0, end == name.npos ? 0 : end + 1));
}

SaveTarget SystemFiles::FindTarget(const std::string& name) {
    SaveTarget target;
    target.kind = FileKind::Other;
    std::error_code ec;
    fs::path path = fs::absolute(PathFromUtf8(name), ec);
    if (ec) return target;
    fs::file_status status = fs::symlink_status(path, ec);
    if (ec && status.type() != fs::file_type::not_found) return target;
    // A link to the page stays a link: the file it leads to is written.
    if (fs::is_symlink(status)) {
        path = fs::canonical(path, ec);
        if (ec) return target;
        status = fs::status(path, ec);
        if (ec) return target;
    }
    target.kind = KindOfStatus(status);
    target.writable = (status.permissions() & fs::perms::owner_write) != fs::perms::none;
    target.name = Utf8FromPath(path);
    return target;
}

File SystemFiles::CreateTemporary(const SaveTarget& target, std::string& temporary) {
    const fs::path path = PathFromUtf8(target.name);
    // A name need only be unlikely to be taken, as O_EXCL never opens one that
    // is; a clock seed costs far less than the system's entropy.
    std::minstd_rand random(static_cast<std::uint_fast32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path hidden(".");
        hidden += path.filename();
        hidden += ".";
        hidden += std::to_string(random() % 1000000);
        const fs::path name = path.parent_path() / hidden;
        File file(::_wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                           _S_IREAD | _S_IWRITE));
        temporary = Utf8FromPath(name);
        if (file.IsOpen() || errno != EEXIST) return file;
    }
    return File();
}

// A new file takes its folder's access rules, as the page did; a page made
// read-only was refused before.
bool SystemFiles::KeepAttributes(const SaveTarget&, File&) { return true; }

bool SystemFiles::Write(File& file, std::uint64_t offset, std::string_view bytes) {
    if (::_lseeki64(file.Descriptor(), static_cast<__int64>(offset), SEEK_SET) < 0) return false;
    while (!bytes.empty()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int written = ::_write(file.Descriptor(), bytes.data(), chunk);
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool SystemFiles::Finish(File& file, std::uint64_t size) {
    return ::_chsize_s(file.Descriptor(), static_cast<__int64>(size)) == 0 &&
           ::_commit(file.Descriptor()) == 0;
}

bool SystemFiles::Replace(const SaveTarget& target, const std::string& temporary) {
    std::error_code ec;
    fs::rename(PathFromUtf8(temporary), PathFromUtf8(target.name), ec);
    return !ec;
}

void SystemFiles::Remove(const SaveTarget&, const std::string& temporary) {
    std::error_code ec;
    fs::remove(PathFromUtf8(temporary), ec);
}

File SystemFiles::OpenInPlace(const SaveTarget& target) {
    File file(::_wopen(PathFromUtf8(target.name).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT));
    if (!file.IsOpen() || file.Kind() != FileKind::Regular) return File();
    // Its bytes from the start are locked to this descriptor until it closes,
    // so that a save in place elsewhere waits its turn (a few seconds at most).
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::_lseeki64(file.Descriptor(), 0, SEEK_SET) == 0 &&
            ::_locking(file.Descriptor(), _LK_NBLCK, LONG_MAX) == 0) {
            return file;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return File();
}

// Windows programs get no hang-up or termination signal, and a file has no size
// limit to pass.
struct SignalsHeld::Previous {};
SignalsHeld::SignalsHeld() = default;
SignalsHeld::~SignalsHeld() = default;

void FailWritesPastSizeLimit() {}

}  // namespace kinpath
