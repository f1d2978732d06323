#include "frontends/win32/DialogResource.h"

#include <windows.h>

#include <commctrl.h>

#include <string_view>

#include "app/MainDialog.h"
#include "frontends/win32/Utf16.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::win32 {

namespace {

// Predefined classes go into a template by their ordinal.
constexpr std::uint16_t ButtonClass = 0x0080;
constexpr std::uint16_t EditClass = 0x0081;
constexpr std::uint16_t StaticClass = 0x0082;

class TemplateWriter {
public:
    void Word(std::uint16_t w) { units_.push_back(w); }
    void Dword(std::uint32_t d) {
        Word(static_cast<std::uint16_t>(d & 0xFFFF));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    void Short(int s) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(s))); }
    // A zero-terminated UTF-16 string.
    void String(std::wstring_view s) {
        for (wchar_t c : s) Word(static_cast<std::uint16_t>(c));
        Word(0);
    }
    void Ordinal(std::uint16_t ordinal) {
        Word(0xFFFF);
        Word(ordinal);
    }
    // Every item starts on a 4-byte boundary.
    void AlignDword() {
        if (units_.size() % 2 != 0) Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(units_); }

private:
    std::vector<std::uint16_t> units_;
};

DWORD ControlStyle(const ControlTemplate& t) {
    DWORD style = WS_CHILD | WS_VISIBLE | (t.enabled ? 0 : WS_DISABLED);
    switch (t.kind) {
        case ControlKind::QuestionText:
            // Script text shows an ampersand as itself.
            return style | SS_LEFT | SS_NOPREFIX | WS_BORDER | WS_GROUP;
        case ControlKind::Choice:
            // Tab reaches the group at its first choice (or the checked one);
            // the arrow keys move within it.
            return style | BS_AUTORADIOBUTTON | (t.id == IdChoice1 ? WS_GROUP | WS_TABSTOP : 0);
        case ControlKind::Pane:
            // No ES_AUTOHSCROLL: lines wrap at the pane's width. ES_AUTOVSCROLL
            // lets text be added past the lines in view.
            // It starts a group of its own, so that the arrows stay among the choices.
            return style | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER |
                   WS_TABSTOP | WS_GROUP;
        case ControlKind::Label:
            // A name too long for its label is cut at the edge, never wrapped
            // onto a second line that the label has no room to show.
            return style | SS_LEFTNOWORDWRAP | SS_NOPREFIX | WS_GROUP;
        case ControlKind::Bar:
            return style | PBS_SMOOTH | WS_BORDER;
        case ControlKind::DefaultButton:
            return style | BS_DEFPUSHBUTTON | WS_TABSTOP;
        case ControlKind::Button:
            return style | BS_PUSHBUTTON | WS_TABSTOP;
    }
    return style;
}

void WriteClass(TemplateWriter& w, ControlKind kind) {
    switch (kind) {
        case ControlKind::QuestionText:
        case ControlKind::Label:
            w.Ordinal(StaticClass);
            break;
        case ControlKind::Choice:
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            w.Ordinal(ButtonClass);
            break;
        case ControlKind::Pane:
            w.Ordinal(EditClass);
            break;
        case ControlKind::Bar:
            w.String(PROGRESS_CLASSW);
            break;
    }
}

}  // namespace

std::vector<std::uint16_t> BuildDialogTemplate() {
    TemplateWriter w;
    // DLGTEMPLATEEX: a fixed frame that can be minimised but not resized or
    // maximised; hidden until the start-up has placed it.
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature
    w.Dword(0);      // helpID
    w.Dword(0);      // exStyle
    w.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT);
    w.Word(static_cast<std::uint16_t>(DialogControls.size()));
    w.Short(0);
    w.Short(0);
    w.Short(DialogUnitsWidth);
    w.Short(DialogUnitsHeight);
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.String(Widen(DialogCaption));
    w.Word(DialogFontPoints);
    w.Word(FW_NORMAL);
    w.Word(DEFAULT_CHARSET << 8);  // italic 0, charset
    w.String(DialogFontFace);

    for (const ControlTemplate& t : DialogControls) {
        w.AlignDword();
        w.Dword(0);  // helpID
        w.Dword(0);  // exStyle
        w.Dword(ControlStyle(t));
        w.Short(t.x);
        w.Short(t.y);
        w.Short(t.width);
        w.Short(t.height);
        w.Dword(static_cast<std::uint32_t>(t.id));
        WriteClass(w, t.kind);
        const bool button = t.kind == ControlKind::DefaultButton || t.kind == ControlKind::Button;
        w.String(Widen(button ? MarkedCaption(t.text, t.id) : std::string(t.text)));
        w.Word(0);  // no creation data
    }
    return w.Take();
}

}  // namespace kinpath::win32
