// A pane that wraps nothing: each written line is one displayed line. The
// terminal, the web page and the tests show the pane this way, so their saved
// pages and prints hold the lines as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/View.h"

namespace kinpath {

class TextPane {
public:
    // Replaces the text (CR LF line breaks); the selection goes.
    void SetText(std::string_view text);
    const std::string& Text() const { return text_; }
    // In characters, each line break counting two.
    std::size_t Length() const { return length_; }

    int LineCount() const { return static_cast<int>(lineBytes_.size()); }
    std::string Line(int index) const;
    std::uint32_t LineStart(int index) const;

    PaneSelection Selection() const { return selection_; }
    void Select(PaneSelection selection) { selection_ = selection; }
    void SelectAll() { selection_ = {0, static_cast<std::uint32_t>(length_)}; }

private:
    std::string text_;
    std::size_t length_ = 0;
    PaneSelection selection_;
    std::vector<std::size_t> lineBytes_{0};     // byte offset of each line
    std::vector<std::uint32_t> lineStarts_{0};  // position of each line
};

}  // namespace kinpath
