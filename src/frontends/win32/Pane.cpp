#include "frontends/win32/Pane.h"

#include <algorithm>
#include <vector>

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

}  // namespace

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

Pane::Pane(HWND edit) : edit_(edit) {
    if (edit_) SendMessageW(edit_, EM_SETLIMITTEXT, PaneUnitLimit, 0);
}

std::wstring Pane::Units() const { return edit_ ? WindowText(edit_) : std::wstring(); }

void Pane::SetText(std::string_view text) {
    if (!edit_) return;
    SetWindowTextW(edit_, EditText(text).c_str());
    SendMessageW(edit_, EM_SETSEL, 0, 0);
    SendMessageW(edit_, WM_VSCROLL, SB_TOP, 0);
}

int Pane::LineCount() const {
    if (!edit_) return 1;
    return static_cast<int>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
}

std::string Pane::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    const LRESULT start = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const auto length =
        static_cast<std::size_t>(SendMessageW(edit_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    if (length == 0) return {};
    // The buffer's first unit tells the control its size.
    std::vector<wchar_t> buffer(length + 1, L'\0');
    buffer[0] = static_cast<wchar_t>(std::min<std::size_t>(buffer.size(), 0xFFFF));
    const auto copied = static_cast<std::size_t>(SendMessageW(
        edit_, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())));
    return Narrow(std::wstring_view(buffer.data(), std::min(copied, length)));
}

std::uint32_t Pane::LineStart(int index) const {
    const std::wstring units = Units();
    if (index < 0 || index >= LineCount()) return Position(units, units.size());
    const LRESULT start = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    return Position(units, start < 0 ? units.size() : static_cast<std::size_t>(start));
}

void Pane::SelectAll() {
    if (edit_) SendMessageW(edit_, EM_SETSEL, 0, -1);
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
