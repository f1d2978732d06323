// Saving a whole file so that a good one is never destroyed: the page the
// window saves and the page kinpath-cli --publish writes.
#pragma once

#include <string>
#include <string_view>

namespace kinpath {

class FileSystem;

// Replaces the file at path (see Files.h) with bytes through a temporary file
// in the same folder, keeping its owner, group and permissions; the old file
// stays untouched unless every step succeeded. A file whose owner a new file
// could not keep, or in a folder that takes no new file, is written over in
// place, its old bytes put back when that fails. Only a regular file this user
// may write is ever replaced.
bool SaveFile(FileSystem& files, const std::string& path, std::string_view bytes);

}  // namespace kinpath
