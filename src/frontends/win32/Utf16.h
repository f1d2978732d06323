// The core's texts are UTF-8; the W calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace kinpath::win32 {

// Malformed UTF-8 becomes U+FFFD, as everywhere else in the program.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace kinpath::win32
