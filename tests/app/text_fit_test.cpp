#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>

#include "app/TextFit.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath {
namespace {

bool SplitsPair(std::u16string_view text, std::size_t at) {
    return at > 0 && at < text.size() && text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF;
}

// The cut by its definition: the longest start, in whole characters, that
// fits with the ellipsis after it.
std::u16string ReferenceCut(std::u16string_view text, std::size_t width) {
    if (text.size() <= width) return std::u16string(text);
    for (std::size_t k = text.size();; --k) {
        const std::u16string cut = std::u16string(text.substr(0, k)) + Ellipsis;
        if ((!SplitsPair(text, k) && cut.size() <= width) || k == 0) return cut;
    }
}

TEST(TextFit, CutToFitKeepsTheLongestWholeStartThatFits) {
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        for (int n = static_cast<int>(random() % 12); n > 0; --n) {
            if (random() % 3 == 0) {
                text += {char16_t(0xD83D), char16_t(0xDE00)};  // one character, two units
            } else {
                text += char16_t(u'a' + random() % 26);
            }
        }
        const std::size_t width = random() % 14;
        int calls = 0;
        const std::u16string cut = CutToFit(text, [&](std::u16string_view t) {
            ++calls;
            return t.size() <= width;
        });
        ASSERT_EQ(cut, ReferenceCut(text, width)) << round;
        EXPECT_LE(calls, 2 + std::bit_width(text.size())) << "measured in a binary search";
    }
}

TEST(TextFit, MarkedCaptionsReadBackAndMarkTheFirstAccessKey) {
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 8); n > 0; --n) text += "aOSx&E "[random() % 7];
        for (const int id : {IdOk, IdSkip, IdExit, IdChoice1}) {
            const std::string caption = MarkedCaption(text, id);
            ASSERT_EQ(UnmarkedCaption(caption), text) << caption;
            // The one single ampersand stands before the first key letter.
            std::string marks;
            for (std::size_t i = 0; i < caption.size(); ++i) {
                if (caption[i] != '&') continue;
                if (i + 1 < caption.size() && caption[i + 1] == '&') {
                    ++i;
                } else {
                    marks += caption.substr(i + 1, 1);
                }
            }
            const char key = AccessKey(id);
            const bool has = key != 0 && text.find(key) != std::string::npos;
            EXPECT_EQ(marks, has ? std::string(1, key) : "") << caption;
            if (has) {
                EXPECT_EQ(caption.find(std::string("&") + key), caption.find(key) - 1);
            }
        }
    }
}

}  // namespace
}  // namespace kinpath
