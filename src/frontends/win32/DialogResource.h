// The main dialog as an in-memory extended dialog template, made from the
// control table, so that the window and the table can never disagree.
#pragma once

#include <cstdint>
#include <vector>

namespace kinpath::win32 {

inline constexpr const wchar_t* DialogFontFace = L"MS Shell Dlg";
inline constexpr int DialogFontPoints = 8;

// The template's bytes as 16-bit units (a DLGTEMPLATEEX and its 69 items),
// ready for CreateDialogIndirectParamW.
std::vector<std::uint16_t> BuildDialogTemplate();

}  // namespace kinpath::win32
