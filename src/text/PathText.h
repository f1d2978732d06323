// File names as UTF-8 text, the program's one encoding of text, whatever the
// system's own encoding of paths is.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kinpath {

// UTF-16 as UTF-8. A lone surrogate, which a Windows file name may hold, is
// written as the three bytes of its own number, so that the name comes back
// whole through Utf16FromUtf8.
std::string Utf8FromUtf16(std::u16string_view utf16);
// UTF-8 as UTF-16, the three-byte forms of lone surrogates included; each byte
// of anything else that is not UTF-8 becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);

// The path a UTF-8 text names. Where paths are bytes the bytes are kept as they
// are, so a name that is not UTF-8 still opens.
std::filesystem::path PathFromUtf8(std::string_view utf8);
// The path as UTF-8 text, the inverse of PathFromUtf8.
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace kinpath
