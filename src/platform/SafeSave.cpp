#include "platform/SafeSave.h"

#include "platform/Files.h"

namespace kinpath {

namespace {

// Writes over the file itself; its old bytes are put back when that fails.
bool WriteInPlace(FileSystem& files, const SaveTarget& target, std::string_view bytes) {
    File file = files.OpenInPlace(target);
    LargeBytes old;
    if (!file.IsOpen() || file.ReadAll(old) != 0) return false;
    if (files.Write(file, 0, bytes) && files.Finish(file, bytes.size()) && file.Close()) {
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
