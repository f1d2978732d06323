// File access on POSIX systems. A save works through its folder's descriptor,
// so names stay short however deep the working folder is.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/Files.h"

namespace kinpath {

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Links followed before a chain of them is taken for a loop.
constexpr int MaxLinks = 40;

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    return S_ISDIR(mode) ? FileKind::Folder : FileKind::Other;
}

// A name as its folder ("." when it has none) and its last part.
std::pair<std::string, std::string> Split(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) return {".", name};
    return {slash == 0 ? "/" : name.substr(0, slash), name.substr(slash + 1)};
}

// What a link in folder says; empty when it cannot be read.
std::string ReadLink(const File& folder, const std::string& name) {
    std::string text(4096, '\0');
    const ssize_t length =
        ::readlinkat(folder.Descriptor(), name.c_str(), text.data(), text.size());
    text.resize(length > 0 && static_cast<std::size_t>(length) < text.size()
                    ? static_cast<std::size_t>(length)
                    : 0);
    return text;
}

// Permission bits a newly created file gets from this process's umask.
mode_t NewFileMode() {
    // Read without streams or scanf, which would bring a locale's worth of code
    // into every program (the web page's download among them). procfs tells
    // no size: the text is read to its end, the line wanted is near the top.
    const File status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    std::string text;
    std::array<char, 1024> chunk;
    ssize_t got = 0;
    while (status.IsOpen() && text.size() < 65536 &&
           (got = ::read(status.Descriptor(), chunk.data(), chunk.size())) > 0)
        text.append(chunk.data(), static_cast<std::size_t>(got));
    constexpr std::string_view Key = "\nUmask:";
    if (const std::size_t at = ("\n" + text).find(Key); at != std::string::npos) {
        std::size_t i = at + Key.size() - 1;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        mode_t mask = 0;
        const std::size_t first = i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '7'; ++i)
            mask = static_cast<mode_t>(mask * 8 + static_cast<mode_t>(text[i] - '0'));
        if (i > first) return 0666 & ~mask;
    }
    // No procfs: umask can only be read by setting it.
    mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether this user may write over the file. Root passes access() for every
// file, yet a page its owner made read-only should stay so for root too: root
// is held to the permission bits of its class.
bool MayWrite(const File& folder, const std::string& name, const struct stat& file) {
    if (::faccessat(folder.Descriptor(), name.c_str(), W_OK, 0) != 0) return false;
    if (::geteuid() != 0) return true;
    if (file.st_uid == 0) return (file.st_mode & S_IWUSR) != 0;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(
        std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    groups.push_back(::getegid());
    bool member = std::find(groups.begin(), groups.end(), file.st_gid) != groups.end();
    return (file.st_mode & (member ? S_IWGRP : S_IWOTH)) != 0;
}

// Whether the kernel's guard on links in shared folders lets this user follow
// a link in folder: in a sticky folder all may write (as /tmp), only a link of
// the user's own or of the folder's owner. Held whether or not the system
// enforces it (fs.protected_symlinks), so that a link planted there never
// sends a save into another of the user's files.
bool MayFollow(const File& folder, const struct stat& link) {
    struct stat shared {};
    if (::fstat(folder.Descriptor(), &shared) != 0) return false;
    constexpr mode_t Guarded = S_ISVTX | S_IWOTH;
    if ((shared.st_mode & Guarded) != Guarded) return true;
    return link.st_uid == ::geteuid() || link.st_uid == shared.st_uid;
}

// Whether an open file lives on a file system of files, not on one of the
// kernel's, whose "regular" files are its settings (procfs, sysfs and kin).
bool OnFileSystemOfFiles([[maybe_unused]] const File& file) {
#if defined(__linux__)
    struct statfs where {};
    if (::fstatfs(file.Descriptor(), &where) != 0) return false;
    static constexpr std::array<unsigned long, 14> KernelOwn = {
        PROC_SUPER_MAGIC,   SYSFS_MAGIC,         DEBUGFS_MAGIC,  TRACEFS_MAGIC,  SECURITYFS_MAGIC,
        CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,   PSTOREFS_MAGIC, EFIVARFS_MAGIC,
        SELINUX_MAGIC,      SMACK_MAGIC,         BINFMTFS_MAGIC, NSFS_MAGIC};
    return std::find(KernelOwn.begin(), KernelOwn.end(),
                     static_cast<unsigned long>(where.f_type)) == KernelOwn.end();
#else
    return true;
#endif
}

// Takes the file's lock for this save, waiting a few seconds at most for a
// save that holds it.
bool Lock(const File& file) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(file.Descriptor(), LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

SaveTarget Refused() {
    SaveTarget target;
    target.kind = FileKind::Other;
    return target;
}

}  // namespace

File File::OpenToRead(const std::string& name, int& error) {
    // Non-blocking, so that opening a FIFO returns at once instead of waiting
    // for a writer.
    File file(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    error = file.IsOpen() ? 0 : errno;
    return file;
}

FileKind File::Kind() const {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? KindOfMode(info.st_mode) : FileKind::Other;
}

std::uint64_t File::Size() const {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::ptrdiff_t File::Read(char* to, std::size_t n) {
    ssize_t got;
    do {
        got = ::read(fd_, to, n);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool File::Rewind() { return ::lseek(fd_, 0, SEEK_SET) == 0; }

bool File::Close() { return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0; }

FileKind KindOf(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0) return KindOfMode(info.st_mode);
    return errno == ENOENT ? FileKind::Missing : FileKind::Other;
}

std::string StoredName(std::string_view name) { return std::string(name); }

SaveTarget SystemFiles::FindTarget(const std::string& name) {
    SaveTarget target;
    auto [folder, leaf] = Split(name);
    File at(::open(folder.c_str(), FolderFlags));
    struct stat info {};
    for (int links = 0;; ++links) {
        if (!at.IsOpen() || links > MaxLinks) return Refused();
        if (::fstatat(at.Descriptor(), leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            // A link to nothing is refused rather than followed to wherever it
            // leads.
            if (errno != ENOENT || links > 0) return Refused();
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.kind = KindOfMode(info.st_mode);
            break;
        }
        if (!MayFollow(at, info)) return Refused();
        // A link to the page stays a link: the file it leads to is written.
        std::tie(folder, leaf) = Split(ReadLink(at, leaf));
        at = File(::openat(at.Descriptor(), folder.c_str(), FolderFlags));
    }
    if (target.kind == FileKind::Regular) {
        target.writable = MayWrite(at, leaf, info);
        target.owner = info.st_uid;
        target.group = info.st_gid;
        target.mode = info.st_mode & 07777;
    }
    target.folder = std::move(at);
    target.name = leaf;
    return target;
}

File SystemFiles::CreateTemporary(const SaveTarget& target, std::string& temporary) {
    static constexpr std::string_view Letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // A name need only be unlikely to be taken, as O_EXCL never opens one that
    // is; a clock seed costs far less than the system's entropy.
    std::minstd_rand random(static_cast<std::uint_fast32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Built a piece at a time: GCC 12 misreads assign(".").append() at -O3.
        temporary.clear();
        temporary += '.';
        temporary += target.name;
        temporary += '.';
        for (int i = 0; i < 6; ++i) temporary += Letters[random() % Letters.size()];
        File file(::openat(target.folder.Descriptor(), temporary.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.IsOpen() || errno != EEXIST) return file;
    }
    return File();
}

bool SystemFiles::KeepAttributes(const SaveTarget& target, File& file) {
    const int fd = file.Descriptor();
    if (target.kind != FileKind::Regular) return ::fchmod(fd, NewFileMode()) == 0;
    // Only root may give a file away, and a user may choose only a group of
    // their own.
    struct stat made {};
    if (::fstat(fd, &made) != 0) return false;
    if ((made.st_uid != target.owner || made.st_gid != target.group) &&
        ::fchown(fd, target.owner, target.group) != 0) {
        return false;
    }
    return ::fchmod(fd, target.mode) == 0;
}

bool SystemFiles::Write(File& file, std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written =
            ::pwrite(file.Descriptor(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool SystemFiles::Finish(File& file, std::uint64_t size) {
    return ::ftruncate(file.Descriptor(), static_cast<off_t>(size)) == 0 &&
           ::fsync(file.Descriptor()) == 0;
}

bool SystemFiles::Replace(const SaveTarget& target, const std::string& temporary) {
    const int folder = target.folder.Descriptor();
    if (::renameat(folder, temporary.c_str(), folder, target.name.c_str()) != 0) return false;
    // Make the rename itself durable; the page is written either way.
    ::fsync(folder);
    return true;
}

void SystemFiles::Remove(const SaveTarget& target, const std::string& temporary) {
    ::unlinkat(target.folder.Descriptor(), temporary.c_str(), 0);
}

File SystemFiles::OpenInPlace(const SaveTarget& target) {
    File file(::openat(target.folder.Descriptor(), target.name.c_str(),
                       O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    // Whatever replaced the page since it was looked at is left alone.
    return file.IsOpen() && file.Kind() == FileKind::Regular && OnFileSystemOfFiles(file) &&
                   Lock(file)
               ? std::move(file)
               : File();
}

namespace {

constexpr std::array<int, 3> EndingSignals = {SIGINT, SIGTERM, SIGHUP};

// The ending signal that came while signals were held, 0 for none. A signal
// handler can reach nothing but process-wide state.
volatile std::sig_atomic_t HeldSignal = 0;

void HoldSignal(int signal) { HeldSignal = signal; }

void IgnoreFileSizeSignal(struct sigaction* previous) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, previous);
}

}  // namespace

struct SignalsHeld::Previous {
    std::array<struct sigaction, EndingSignals.size()> ending{};
    struct sigaction fileSize {};
};

// A handler, not a blocked mask: a mask holds only this thread, and a signal
// sent to the process would end it through any other thread.
SignalsHeld::SignalsHeld() : previous_(std::make_unique<Previous>()) {
    HeldSignal = 0;
    struct sigaction hold {};
    hold.sa_handler = HoldSignal;
    hold.sa_flags = SA_RESTART;
    sigfillset(&hold.sa_mask);
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        ::sigaction(EndingSignals[i], &hold, &previous_->ending[i]);
    IgnoreFileSizeSignal(&previous_->fileSize);
}

SignalsHeld::~SignalsHeld() {
    ::sigaction(SIGXFSZ, &previous_->fileSize, nullptr);
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        ::sigaction(EndingSignals[i], &previous_->ending[i], nullptr);
    // What came meanwhile takes its effect now that the save is over.
    if (HeldSignal != 0) ::raise(HeldSignal);
}

void FailWritesPastSizeLimit() { IgnoreFileSizeSignal(nullptr); }

}  // namespace kinpath
