#include "frontends/win32/UserFolder.h"

#include "frontends/win32/Win32Api.h"

namespace kinpath::win32 {

bool EnterUserFolder(const std::filesystem::path& folder, const std::filesystem::path& sample) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::filesystem::path copy = folder / L"script.txt";
    // A copy takes the sample's attributes; an installed sample is read-only.
    if (CopyFileW(sample.c_str(), copy.c_str(), TRUE)) {
        const DWORD attributes = GetFileAttributesW(copy.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(copy.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    return SetCurrentDirectoryW(folder.c_str()) != 0;
}

}  // namespace kinpath::win32
