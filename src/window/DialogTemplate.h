// The main dialog's controls in template order (also tab and stacking order),
// in dialog units.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kinpath {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// An opaque colour, 8 bits a channel.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

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

// A control's place in DialogControls; -1 for an identifier the dialog lacks.
int ControlIndex(int id);
// How far right (in dialog units) a label may grow to show a longer name: up
// to the next column of labels and bars, or the dialog's edge.
int LabelLimit(const ControlTemplate& label);

// The bars: red, from 0 to 100; a position outside shows as the nearest end.
inline constexpr Colour BarColour{255, 0, 0};
inline constexpr int BarLow = 0;
inline constexpr int BarHigh = 100;

// The pane on the results: the client area less 10 pixels left, top and
// right and 45 at the bottom, where the button row keeps its place.
Rect ResultsPaneRect(const Rect& client);

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
