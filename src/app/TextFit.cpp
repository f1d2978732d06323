#include "app/TextFit.h"

namespace kinpath {

namespace {

bool SplitsPair(std::u16string_view text, std::size_t at) {
    return at > 0 && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF &&
           text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF;
}

}  // namespace

std::u16string CutToFit(std::u16string_view text,
                        const std::function<bool(std::u16string_view)>& fits) {
    if (fits(text)) return std::u16string(text);
    const auto cut = [text](std::size_t length) {
        return std::u16string(text.substr(0, length)) + Ellipsis;
    };
    // Binary search for the longest start that fits: lengths up to `good` fit,
    // from `bad` on they do not.
    std::size_t good = 0, bad = text.size();
    while (bad - good > 1) {
        std::size_t middle = good + (bad - good) / 2;
        // A pair stays whole: the length after it, or the one before it when
        // that is the last left to try.
        if (SplitsPair(text, middle)) middle = middle + 1 < bad ? middle + 1 : middle - 1;
        if (middle == good) break;
        if (fits(cut(middle))) {
            good = middle;
        } else {
            bad = middle;
        }
    }
    return cut(good);
}

}  // namespace kinpath
