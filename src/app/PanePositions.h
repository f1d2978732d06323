// Pane positions as the seam counts them (window/Dialog.h): every character
// counts one and every line break two. Each realisation keeps the pane's text
// in its own form; these count it the one way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kinpath {

// The position of units[index] in UTF-16 text (char16_t or a 16-bit wchar_t)
// whose line breaks are CR LF or a lone LF: a surrogate pair is one character.
template <typename Unit>
std::uint32_t PanePosition(std::basic_string_view<Unit> units, std::size_t index) {
    static_assert(sizeof(Unit) == 2, "UTF-16 code units");
    if (index > units.size()) index = units.size();
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const auto unit = static_cast<char16_t>(units[i]);
        const char16_t before = i > 0 ? static_cast<char16_t>(units[i - 1]) : u'\0';
        if (unit == u'\n') {
            position += before == u'\r' ? 1 : 2;  // CR LF counts two in all
        } else if (unit < 0xDC00 || unit > 0xDFFF || before < 0xD800 || before > 0xDBFF) {
            ++position;  // not the second half of a pair
        }
    }
    return position;
}

template <typename Unit>
std::uint32_t PaneLength(std::basic_string_view<Unit> units) {
    return PanePosition(units, units.size());
}

// The index of the unit at a pane position (PanePosition's inverse), never
// inside a surrogate pair: where a window puts a selection the screen holds.
template <typename Unit>
std::size_t PaneUnitAt(std::basic_string_view<Unit> units, std::uint32_t position) {
    static_assert(sizeof(Unit) == 2, "UTF-16 code units");
    const auto high = [](Unit u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto low = [](Unit u) { return u >= 0xDC00 && u <= 0xDFFF; };
    std::size_t i = 0;
    for (std::uint32_t at = 0; i < units.size() && at < position; ++i) {
        const Unit before = i > 0 ? units[i - 1] : Unit{};
        if (units[i] == Unit{'\n'}) {
            at += before == Unit{'\r'} ? 1 : 2;
        } else if (!low(units[i]) || !high(before)) {
            ++at;
        }
    }
    if (i > 0 && i < units.size() && low(units[i]) && high(units[i - 1])) ++i;
    return i;
}

// The seam's UTF-8 text as UTF-16 with every line break (CR LF, or a lone CR
// or LF) written as lineBreak.
std::u16string PaneUnits(std::string_view utf8, std::u16string_view lineBreak);

}  // namespace kinpath
