// What the Qt and the Windows window tests share: the questionnaire they run
// and the pane's displayed lines put back together.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/TextCodec.h"
#include "window/Screen.h"

namespace kinpath::testing {

// Questions "Question N" of `choices` choices "Answer K"; answer K adds K points
// to the Wizard and explains "You chose K."; the recap as given.
inline std::string Questionnaire(int questions, int choices = 2, const char* recap = "yes") {
    std::string body, s;
    for (int k = 1; k <= choices; ++k) body += "text=Answer " + std::to_string(k) + "\n";
    for (int k = 1; k <= choices; ++k) {
        const std::string n = std::to_string(k);
        body += "<ANSWER>\ntype=" + n + "\nexplanationtext=You chose " + n + ".\nwizpts=" + n +
                "\n</ANSWER>\n";
    }
    for (int q = 1; q <= questions; ++q)
        s += "<QUESTION>\nname=Question " + std::to_string(q) + "\n" + body + "</QUESTION>\n";
    return s + "<FINAL>\nrecap=" + recap + "\n</FINAL>\n";
}

// One question whose report line is far too long for the pane, for the
// windows to wrap.
inline std::string LongLineQuestionnaire() {
    std::string script = Questionnaire(1), words = "\xF0\x9F\x90\x89";
    for (int i = 0; i < 40; ++i) words += " word" + std::to_string(i);
    return script.replace(script.find("You chose 1."), 12, words);
}

// The laid-out lines put back together: a line starting two positions past
// the previous one's end follows a written line break.
inline std::string Rejoin(const std::vector<PaneLine>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            const auto gap = lines[i].start - lines[i - 1].start - Utf8Length(lines[i - 1].text);
            text += gap == 2 ? "\r\n" : gap == 0 ? "" : "<gap>";
        }
        text += lines[i].text;
    }
    return text;
}

// The lines a window reported for its pane: its text wrapped into more lines
// than it was written in. How many.
inline std::size_t WrappedLineCount(const Screen& shown) {
    EXPECT_EQ(Rejoin(shown.paneLines), shown.pane);
    const auto written = std::count(shown.pane.begin(), shown.pane.end(), '\n') + 1;
    EXPECT_GT(static_cast<long>(shown.paneLines.size()), written);
    return shown.paneLines.size();
}

}  // namespace kinpath::testing
