// The Start-menu entry's --user-folder start: each user answers in a folder of
// their own.
#pragma once

#include <filesystem>

namespace kinpath::win32 {

// Makes folder the working folder, creating it when missing, with a copy of
// sample as its script.txt on the first start. A copy already there is the
// user's and stays as it is; a new copy is the user's to edit, also when the
// sample is read-only. False, leaving the working folder, when it cannot be
// entered.
bool EnterUserFolder(const std::filesystem::path& folder, const std::filesystem::path& sample);

}  // namespace kinpath::win32
