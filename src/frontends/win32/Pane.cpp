#include "frontends/win32/Pane.h"

#include <algorithm>

#include "app/PanePositions.h"
#include "frontends/win32/Utf16.h"

namespace kinpath::win32 {

namespace {

// Room for the longest transcript even when every character takes two UTF-16
// units (the control's default stops at 32,767).
constexpr WPARAM PaneUnitLimit = 1 << 20;

// Pane text as the edit control holds it: CR LF is the view's line break, and
// a lone CR or LF breaks the line as well.
std::wstring EditText(std::string_view text) {
    const std::u16string units = PaneUnits(text, u"\r\n");
    return std::wstring(units.begin(), units.end());
}

std::uint32_t Position(std::wstring_view units, std::size_t index) {
    return PanePosition(units, index);
}

// The position of units[to], counted on from at, that of units[from]. The
// unit before from is counted along and taken off again, so that a line
// break or a surrogate pair across from counts as in the whole text.
std::uint32_t Advance(std::wstring_view units, std::size_t from, std::size_t to, std::uint32_t at) {
    const std::size_t back = from > 0 ? 1 : 0;
    const std::wstring_view piece = units.substr(from - back, to - from + back);
    return at + Position(piece, piece.size()) - Position(piece, back);
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

Pane::Pane(HWND edit, std::function<void(std::vector<PaneLine>)> laidOut)
    : edit_(edit), laidOut_(std::move(laidOut)) {
    if (!edit_) return;
    SendMessageW(edit_, EM_SETLIMITTEXT, PaneUnitLimit, 0);
    SetWindowSubclass(edit_, Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

Pane::~Pane() {
    if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, Proc, 0);
}

LRESULT CALLBACK Pane::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    // The pane is read-only and needs no caret; a blinking one would wake the
    // idle program twice a second.
    if (message == WM_SETFOCUS) DestroyCaret();
    // Nor does the focus select its whole text, as the dialog manager would each
    // time the window is activated: the selection is the user's, for printing.
    if (message == WM_GETDLGCODE) return result & ~DLGC_HASSETSEL;
    // A new width or font wraps the text anew.
    auto* pane = reinterpret_cast<Pane*>(data);
    if ((message == WM_SIZE || message == WM_SETFONT) && pane->laidOut_)
        pane->laidOut_(pane->Lines());
    return result;
}

std::wstring Pane::Units() const { return edit_ ? WindowText(edit_) : std::wstring(); }

void Pane::SetText(std::string_view text) {
    if (!edit_) return;
    SetWindowTextW(edit_, EditText(text).c_str());
    SendMessageW(edit_, EM_SETSEL, 0, 0);
    SendMessageW(edit_, WM_VSCROLL, SB_TOP, 0);
    if (laidOut_) laidOut_(Lines());
}

std::vector<PaneLine> Pane::Lines() const {
    if (!edit_) return {PaneLine{}};
    const std::wstring units = Units();
    const auto count = static_cast<int>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
    std::vector<PaneLine> lines;
    std::size_t from = 0;
    std::uint32_t position = 0;
    for (int i = 0; i < count; ++i) {
        const LRESULT index = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(i), 0);
        const std::size_t start =
            index < 0 ? units.size() : std::min(units.size(), static_cast<std::size_t>(index));
        const auto length = static_cast<std::size_t>(
            SendMessageW(edit_, EM_LINELENGTH, static_cast<WPARAM>(index), 0));
        position = Advance(units, from, start, position);
        from = start;
        lines.push_back({Narrow(std::wstring_view(units).substr(start, length)), position});
    }
    return lines;
}

void Pane::Select(PaneSelection selection) {
    if (!edit_) return;
    const std::wstring text = Units();
    const std::wstring_view units(text);
    SendMessageW(edit_, EM_SETSEL, PaneUnitAt(units, selection.start),
                 PaneUnitAt(units, selection.end));
}

PaneSelection Pane::Selection() const {
    if (!edit_) return {};
    DWORD start = 0, end = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const std::wstring units = Units();
    return {Position(units, start), Position(units, end)};
}

}  // namespace kinpath::win32
