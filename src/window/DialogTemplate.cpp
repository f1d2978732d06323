#include "window/DialogTemplate.h"

#include <algorithm>

#include "window/ControlIds.h"

namespace kinpath {

namespace {
constexpr ControlTemplate Label(int b, const char* text, int x, int y, int width) {
    return {1039 + b, ControlKind::Label, text, x, y, width, 8, true};
}
constexpr ControlTemplate Bar(int b, int x, int y) {
    return {1012 + b, ControlKind::Bar, "Progress1", x, y, 45, 6, true};
}
}  // namespace

// One row per control in template order; the bars' labels pair with them.
// clang-format off
const std::array<ControlTemplate, ControlCount> DialogControls = {{
    {1008, ControlKind::QuestionText, "Static", 6, 7, 206, 59, true},
    {1000, ControlKind::Choice, "Radio1", 6, 72, 206, 10, true},
    {1001, ControlKind::Choice, "Radio2", 6, 89, 206, 10, true},
    {1002, ControlKind::Choice, "Radio3", 6, 106, 206, 10, true},
    {1003, ControlKind::Choice, "Radio4", 6, 123, 206, 10, true},
    {1004, ControlKind::Choice, "Radio5", 6, 140, 206, 10, true},
    {1005, ControlKind::Choice, "Radio6", 6, 157, 206, 10, true},
    {1006, ControlKind::Choice, "Radio7", 6, 174, 206, 10, true},
    {1007, ControlKind::Choice, "Radio8", 6, 191, 206, 10, true},
    {1009, ControlKind::Pane, "", 6, 210, 307, 96, true},
    Label(0, "Barbarian", 219, 7, 31),    Bar(0, 218, 15),
    Label(1, "Dark Elf", 219, 21, 26),    Bar(1, 218, 29),
    Label(2, "Dwarf", 219, 35, 20),       Bar(2, 218, 43),
    Label(3, "Erudite", 219, 49, 23),     Bar(3, 218, 57),
    Label(4, "Gnome", 219, 63, 24),       Bar(4, 218, 71),
    Label(5, "Half Elf", 219, 77, 24),    Bar(5, 218, 85),
    Label(6, "Halfling", 219, 91, 24),    Bar(6, 218, 99),
    Label(7, "High Elf", 219, 105, 26),   Bar(7, 218, 113),
    Label(8, "Human", 219, 119, 24),      Bar(8, 218, 127),
    Label(9, "Iksar", 219, 133, 16),      Bar(9, 218, 141),
    Label(10, "Ogre", 219, 147, 16),      Bar(10, 218, 155),
    Label(11, "Troll", 219, 161, 14),     Bar(11, 218, 169),
    Label(12, "Wood Elf", 219, 175, 30),  Bar(12, 218, 183),
    Label(13, "Bard", 269, 6, 16),        Bar(13, 267, 14),
    Label(14, "Cleric", 269, 20, 18),     Bar(14, 267, 28),
    Label(15, "Druid", 269, 34, 18),      Bar(15, 267, 42),
    Label(16, "Enchanter", 269, 48, 34),  Bar(16, 267, 56),
    Label(17, "Magician", 269, 62, 30),   Bar(17, 267, 70),
    Label(18, "Monk", 269, 76, 19),       Bar(18, 267, 84),
    Label(19, "Necromancer", 269, 90, 44), Bar(19, 267, 98),
    Label(20, "Paladin", 269, 104, 24),   Bar(20, 267, 112),
    Label(21, "Ranger", 269, 118, 24),    Bar(21, 267, 126),
    Label(22, "Rogue", 269, 134, 22),     Bar(22, 267, 142),
    Label(23, "Shad. Knight", 269, 148, 42), Bar(23, 267, 156),
    Label(24, "Shaman", 269, 162, 27),    Bar(24, 267, 170),
    Label(25, "Warrior", 269, 177, 24),   Bar(25, 267, 185),
    Label(26, "Wizard", 269, 192, 23),    Bar(26, 267, 200),
    {1, ControlKind::DefaultButton, "OK", 7, 309, 38, 14, true},
    {3, ControlKind::Button, "Skip", 74, 309, 38, 14, true},
    {1010, ControlKind::Button, "Print", 141, 309, 38, 14, false},
    {2, ControlKind::Button, "Exit", 275, 309, 38, 14, true},
    {1011, ControlKind::Button, "HTML", 208, 309, 38, 14, false},
}};
// clang-format on

int ControlIndex(int id) {
    for (std::size_t i = 0; i < DialogControls.size(); ++i) {
        if (DialogControls[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

int LabelLimit(const ControlTemplate& label) {
    int limit = DialogUnitsWidth;
    for (const ControlTemplate& other : DialogControls) {
        if ((other.kind == ControlKind::Label || other.kind == ControlKind::Bar) &&
            other.x > label.x)
            limit = std::min(limit, other.x);
    }
    return limit;
}

Rect ResultsPaneRect(const Rect& client) {
    Rect pane;
    pane.left = 10;
    pane.top = 10;
    pane.right = pane.left + (client.Width() - 20);
    pane.bottom = pane.top + (client.Height() - 55);
    return pane;
}

char AccessKey(int id) {
    switch (id) {
        case IdOk:
            return 'O';
        case IdSkip:
            return 'S';
        case IdPrint:
            return 'P';
        case IdHtml:
            return 'H';
        case IdExit:
            return 'x';
        default:
            return 0;
    }
}

std::string MarkedCaption(std::string_view text, int id) {
    const char key = AccessKey(id);
    std::string caption;
    bool marked = key == 0;
    for (const char c : text) {
        if (!marked && c == key) {
            caption += '&';
            marked = true;
        }
        caption += c;
        if (c == '&') caption += '&';
    }
    return caption;
}

std::string UnmarkedCaption(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

}  // namespace kinpath
