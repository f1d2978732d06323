#include "frontends/win32/Utf16.h"

#include "text/PathText.h"

namespace kinpath::win32 {

// Windows' wide characters are UTF-16 units, so the core's conversions serve;
// they also carry a lone surrogate, which a Windows name may hold, both ways.
std::wstring Widen(std::string_view utf8) {
    const std::u16string units = Utf16FromUtf8(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view utf16) {
    return Utf8FromUtf16(std::u16string(utf16.begin(), utf16.end()));
}

}  // namespace kinpath::win32
