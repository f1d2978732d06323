#include "app/TextPane.h"

namespace kinpath {

void TextPane::SetText(std::string_view text) {
    text_.assign(text);
    selection_ = {};
    lineBytes_.assign(1, 0);
    lineStarts_.assign(1, 0);
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text_[i]);
        if (byte == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') {
            position += 2;
            ++i;
            lineBytes_.push_back(i + 1);
            lineStarts_.push_back(position);
        } else if ((byte & 0xC0) != 0x80) {
            ++position;  // count code points, not continuation bytes
        }
    }
    length_ = position;
}

std::string TextPane::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    const auto at = static_cast<std::size_t>(index);
    const std::size_t begin = lineBytes_[at];
    const std::size_t end = at + 1 < lineBytes_.size() ? lineBytes_[at + 1] - 2 : text_.size();
    return text_.substr(begin, end - begin);
}

std::uint32_t TextPane::LineStart(int index) const {
    if (index < 0 || index >= LineCount()) return static_cast<std::uint32_t>(length_);
    return lineStarts_[static_cast<std::size_t>(index)];
}

}  // namespace kinpath
