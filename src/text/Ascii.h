// The few character classes scripts are read with. Scripts are bytes in any
// code page, so only ASCII letters fold and only blank and tab count as space.
#pragma once

namespace kinpath {

constexpr char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace kinpath
