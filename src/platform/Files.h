// File access: every layer above reads and writes files through here, so that
// none of them holds a system call. One realisation per system (PosixFiles.cpp,
// WindowsFiles.cpp). Names are UTF-8 where the system's names are wide and
// bytes as they are where the system's names are bytes; a relative name is
// taken in the working folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Memory.h"

namespace kinpath {

enum class FileKind { Missing, Regular, Folder, Other };

// An open file of the system: the one owner of its descriptor, closed when it
// goes.
class File {
public:
    File() = default;
    explicit File(int descriptor) : fd_(descriptor) {}
    ~File() { Close(); }
    File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    // Opens a file to read. Never waits: a FIFO or a device opens at once, and
    // Kind then tells what it is. When it cannot be opened, error holds the
    // system's error number (EISDIR for a folder, where folders do not open).
    static File OpenToRead(const std::string& name, int& error);

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // Other when it cannot be told.
    FileKind Kind() const;
    // Reads the file whole into bytes (once opened, it is read from its start),
    // to its end whatever size the system says it has (procfs says 0): 0, or
    // the system's error number. Throws std::length_error when it holds more
    // than limit or than a string holds (before reading, where its size says
    // so), and std::bad_alloc when memory runs out.
    int ReadAll(LargeBytes& bytes, std::uint64_t limit = UINT64_MAX);
    // Whether the file, read from its start, holds exactly bytes.
    bool Holds(std::string_view bytes);
    // Closes it now: false when a write the system had deferred failed.
    bool Close();

private:
    // Up to n bytes: how many, 0 at the end, -1 on an error (errno tells).
    std::ptrdiff_t Read(char* to, std::size_t n);
    bool Rewind();
    std::uint64_t Size() const;

    int fd_ = -1;
};

// What a name leads to, links followed, without opening it.
FileKind KindOf(const std::string& name);

// A file name (a path's last part) as the system stores it: Windows drops
// trailing dots and blanks ("Kinpath.html." is Kinpath.html); elsewhere a name
// is stored as it is given.
std::string StoredName(std::string_view name);

// The file a save writes: what the saved name leads to through links.
struct SaveTarget {
    // Where the system allows, its folder stays open and name is relative to
    // it, so that a folder deeper than the system's path limit still works.
    File folder;
    std::string name;
    FileKind kind = FileKind::Missing;
    bool writable = false;  // this user may write over it
    // Owner, group and permission bits, as the system numbers them.
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;
};

// The steps a save is made of. Tests put a realisation in between that fails
// where a disk or the system could.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual SaveTarget FindTarget(const std::string& name) = 0;
    // A new, empty hidden file beside the target (".NAME.XXXXXX"), whose name
    // in the target's folder goes to temporary; not open when none could be made.
    virtual File CreateTemporary(const SaveTarget& target, std::string& temporary) = 0;
    // Gives a new file the target's owner, group and permissions (a missing
    // target: the user's defaults); false when the system does not allow it,
    // as for another user's file.
    virtual bool KeepAttributes(const SaveTarget& target, File& file) = 0;
    // Writes all of bytes at offset; false when not all could be written.
    virtual bool Write(File& file, std::uint64_t offset, std::string_view bytes) = 0;
    // Ends the file after size bytes and makes what was written durable.
    virtual bool Finish(File& file, std::uint64_t size) = 0;
    // Puts the temporary in the target's place in one step.
    virtual bool Replace(const SaveTarget& target, const std::string& temporary) = 0;
    virtual void Remove(const SaveTarget& target, const std::string& temporary) = 0;
    // Opens the target itself to be read and written over, and holds it until
    // it is closed, so that saves in place take turns; not open when it is no
    // regular file on a file system of files (procfs and sysfs report regular
    // files that are the kernel's settings), or when another save holds it
    // for more than a few seconds.
    virtual File OpenInPlace(const SaveTarget& target) = 0;
};

// The running system's files.
class SystemFiles : public FileSystem {
public:
    SaveTarget FindTarget(const std::string& name) override;
    File CreateTemporary(const SaveTarget& target, std::string& temporary) override;
    bool KeepAttributes(const SaveTarget& target, File& file) override;
    bool Write(File& file, std::uint64_t offset, std::string_view bytes) override;
    bool Finish(File& file, std::uint64_t size) override;
    bool Replace(const SaveTarget& target, const std::string& temporary) override;
    void Remove(const SaveTarget& target, const std::string& temporary) override;
    File OpenInPlace(const SaveTarget& target) override;
};

// While one lives, the signals that end a program (Ctrl+C, termination,
// hang-up) wait for it to go, and a write past the file size limit fails as on
// a full disk instead of ending the program. A save holds them for its few
// steps, so that it is never ended halfway. One at a time.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    struct Previous;
    std::unique_ptr<Previous> previous_;
};

// From now on a write past the file size limit fails as on a full disk instead
// of ending the program.
void FailWritesPastSizeLimit();

}  // namespace kinpath
