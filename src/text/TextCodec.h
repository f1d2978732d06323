// Script texts are bytes: valid UTF-8 is read as UTF-8, anything else as
// Windows-1252, the code page the scripts were written in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kinpath {

bool IsValidUtf8(std::string_view bytes);
// The text as UTF-8 for display.
std::string DisplayText(std::string_view bytes);
// Number of code points in valid UTF-8.
std::size_t Utf8Length(std::string_view utf8);
// Byte length of the first `count` code points of valid UTF-8.
std::size_t Utf8PrefixBytes(std::string_view utf8, std::size_t count);

}  // namespace kinpath
