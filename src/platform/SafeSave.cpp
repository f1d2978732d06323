#include "platform/SafeSave.h"

#include <cstdint>
#include <exception>

#include "platform/Files.h"

namespace kinpath {

namespace {

// The most an old file may exceed the page by, beyond the page's own size,
// to be written over in place: it is held in memory to be put back.
constexpr std::uint64_t RestoreSlack = std::uint64_t{1} << 20;

// Writes over the file itself; its old bytes are put back when that fails. It
// is held meanwhile, so that a save in place elsewhere waits its turn, and read
// back, so that a page someone else wrote into meanwhile is not taken for
// saved. An old file far larger than the page (a sparse one of terabytes) is
// refused rather than read.
bool WriteInPlace(FileSystem& files, const SaveTarget& target, std::string_view bytes) {
    File file = files.OpenInPlace(target);
    LargeBytes old;
    try {
        if (!file.IsOpen() || file.ReadAll(old, 2 * bytes.size() + RestoreSlack) != 0) return false;
    } catch (const std::exception&) {  // too large, or no memory to hold it
        return false;
    }
    if (files.Write(file, 0, bytes) && files.Finish(file, bytes.size()) && file.Holds(bytes) &&
        file.Close()) {
        return true;
    }
    if (file.IsOpen() && files.Write(file, 0, old)) files.Finish(file, old.size());
    return false;
}

}  // namespace

bool SaveFile(FileSystem& files, const std::string& path, std::string_view bytes) {
    const SaveTarget target = files.FindTarget(path);
    // Only a regular file the user may write is ever written over: never a
    // device, FIFO, socket or folder, nor a file made read-only.
    if (target.kind != FileKind::Missing && (target.kind != FileKind::Regular || !target.writable))
        return false;
    // Nothing ends the program between creating the temporary and removing it.
    SignalsHeld held;
    std::string temporary;
    File file = files.CreateTemporary(target, temporary);
    if (!file.IsOpen()) {
        // A read-only folder takes no new file, yet a file in it may be writable.
        return target.kind == FileKind::Regular && WriteInPlace(files, target, bytes);
    }
    if (!files.KeepAttributes(target, file)) {
        file.Close();
        files.Remove(target, temporary);
        // Another user's file stays theirs: a new file would be this user's.
        return target.kind == FileKind::Regular && WriteInPlace(files, target, bytes);
    }
    // The old file survives every failure before the rename, which replaces
    // it in one step.
    if (files.Write(file, 0, bytes) && files.Finish(file, bytes.size()) && file.Close() &&
        files.Replace(target, temporary)) {
        return true;
    }
    file.Close();
    files.Remove(target, temporary);
    return false;
}

}  // namespace kinpath
