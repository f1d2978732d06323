// Script texts in controls of a fixed size: what a window shows of a text too
// long for its control. Each window measures; the cut is made here, once.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kinpath {

inline constexpr char16_t Ellipsis = u'\u2026';

// The text itself when fits(text) holds; otherwise its longest start, in whole
// characters, that still fits with "…" after it (just "…" when none does).
// fits must hold for a shorter text whenever it holds for a longer one.
std::u16string CutToFit(std::u16string_view text,
                        const std::function<bool(std::u16string_view)>& fits);

}  // namespace kinpath
