#include "app/PanePositions.h"

#include "text/PathText.h"

namespace kinpath {

std::u16string PaneUnits(std::string_view utf8, std::u16string_view lineBreak) {
    const std::u16string in = Utf16FromUtf8(utf8);
    std::u16string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char16_t c = in[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < in.size() && in[i + 1] == u'\n') ++i;
            out += lineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kinpath
