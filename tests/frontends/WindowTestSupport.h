// What the Qt and the Windows window tests share: the questionnaire they run
// and the pane's displayed lines put back together.
#pragma once

#include <string>
#include <vector>

#include "text/TextCodec.h"
#include "window/Screen.h"

namespace kinpath::testing {

// Questions "Question N" of `choices` choices "Answer K"; answer K adds K points
// to the Wizard and explains "You chose K.".
inline std::string Questionnaire(int questions, int choices = 2) {
    std::string body, s;
    for (int k = 1; k <= choices; ++k) body += "text=Answer " + std::to_string(k) + "\n";
    for (int k = 1; k <= choices; ++k) {
        const std::string n = std::to_string(k);
        body += "<ANSWER>\ntype=" + n + "\nexplanationtext=You chose " + n + ".\nwizpts=" + n +
                "\n</ANSWER>\n";
    }
    for (int q = 1; q <= questions; ++q)
        s += "<QUESTION>\nname=Question " + std::to_string(q) + "\n" + body + "</QUESTION>\n";
    return s + "<FINAL>\nrecap=yes\n</FINAL>\n";
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

}  // namespace kinpath::testing
