// What the Qt and the Windows window tests share: the questionnaire they run
// and the pane's displayed lines put back together.
#pragma once

#include <string>

#include "text/TextCodec.h"
#include "window/View.h"

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

// The displayed lines put back together: a line starting two positions past
// the previous one's end follows a written line break.
inline std::string Rejoin(const DisplayedPane& d) {
    std::string text = d.PaneLine(0);
    for (int i = 1; i <= d.PaneLineCount(); ++i) {  // past the end: empty, at the length
        const auto gap =
            d.PaneLineStart(i) - d.PaneLineStart(i - 1) - Utf8Length(d.PaneLine(i - 1));
        text += (gap == 2 ? "\r\n" : gap == 0 ? "" : "<gap>") + d.PaneLine(i);
    }
    return text;
}

}  // namespace kinpath::testing
