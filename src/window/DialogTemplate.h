// The main dialog's controls in template order (also tab and stacking order),
// in dialog units.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kinpath {

enum class ControlKind { QuestionText, Choice, Pane, Label, Bar, DefaultButton, Button };

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    bool enabled;
};

inline constexpr int DialogUnitsWidth = 321;
inline constexpr int DialogUnitsHeight = 332;
inline constexpr int ControlCount = 69;

extern const std::array<ControlTemplate, ControlCount> DialogControls;

// The letter of a button's caption that, with Alt, presses it ('O' for OK,
// 'x' for Exit); the caption shows it underlined. 0 for other controls.
char AccessKey(int id);
// The UTF-8 caption the button with that identifier shows for a text: each
// ampersand doubled, so that it shows as itself, and a single one before the
// first access key letter, which marks it ("E&xit").
std::string MarkedCaption(std::string_view text, int id);
// The text of a marked caption.
std::string UnmarkedCaption(std::string_view caption);

// Dialog units to pixels with the dialog font's base units (average character
// width and height in pixels), rounded to nearest: x * bx / 4, y * by / 8, so
// that every front end lays the dialog out to the same pixel.
inline int DialogUnitsToPixelsX(int units, int baseX) { return (units * baseX + 2) / 4; }
inline int DialogUnitsToPixelsY(int units, int baseY) { return (units * baseY + 4) / 8; }

}  // namespace kinpath
