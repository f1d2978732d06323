#include "frontends/term/TerminalView.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath::term {

namespace {

// Longest command line read; a longer one is dropped unread.
constexpr std::size_t MaxLineBytes = 4096;
// How much of a dropped line the notice quotes.
constexpr std::size_t QuotedCodePoints = 40;

// Script texts become one line: their line breaks turn into blanks, and no
// other control character may drive the terminal.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += c;
        }
    }
    return VisibleControls(out);
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TerminalView::TerminalView(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive)
    : driver(*this, clock), in_(in), out_(out), err_(err), interactive_(interactive) {}

void TerminalView::DrawBox(const Box* box) {
    if (box == nullptr) return;
    // Whatever went to standard output so far comes first.
    std::fflush(out_);
    std::string line = OneLine(box->caption) + ": " + OneLine(box->text);
    if (box->buttons == BoxButtons::YesNo && interactive_) {
        std::fprintf(err_, "%s [y/N] ", line.c_str());
    } else {
        std::fprintf(err_, "%s\n", line.c_str());
    }
    std::fflush(err_);
    if (box->buttons == BoxButtons::Ok) return driver.Answer(BoxResult::Ok);
    std::optional<std::string> answer = ReadLine();
    std::string word = answer ? Lower(Trimmed(*answer)) : std::string();
    driver.Answer(word == "y" || word == "yes" ? BoxResult::Yes : BoxResult::No);
}

bool TerminalView::OpenFile(const std::string& path) {
    WriteOut(VisibleControls(path) + "\n");
    std::fflush(out_);
    return true;
}

std::optional<std::string> TerminalView::ReadLine() {
    std::string line;
    int c;
    bool any = false;
    bool tooLong = false;
    while ((c = std::fgetc(in_)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line.size() == MaxLineBytes) {
            tooLong = true;
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!any) return std::nullopt;
    if (tooLong) {
        Complain("ignored a line longer than " + std::to_string(MaxLineBytes) + " bytes: '" +
                 line.substr(0, Utf8PrefixBytes(line, QuotedCodePoints)) + "...'");
        return std::string();
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void TerminalView::DrawCaption(std::string_view caption) {
    WriteOut(VisibleControls(caption) + "\n");
}

void TerminalView::WriteOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out_);
    wroteOutput_ = true;
}

void TerminalView::PrintPaneIfChanged() {
    const std::string& pane = driver.Shown().pane;
    if (pane == printedPane_) return;
    printedPane_ = pane;
    if (pane.empty()) return;
    // The pane's CR LF line breaks become the terminal's LF, no other control
    // character may drive the terminal; the text goes out in one piece so
    // nothing can come between its lines.
    std::string text = wroteOutput_ ? "\n" : "";
    for (std::size_t begin = 0; begin < pane.size();) {
        const std::size_t end = std::min(pane.find("\r\n", begin), pane.size());
        text += VisibleControls(std::string_view(pane).substr(begin, end - begin)) + '\n';
        begin = end + 2;
    }
    WriteOut(text);
    std::fflush(out_);
}

std::string TerminalView::PromptText() const {
    std::vector<int> choices;
    for (int k = 1; k <= ChoiceButtonCount; ++k) {
        if (Usable(IdChoice1 + k - 1)) choices.push_back(k);
    }
    std::vector<std::string> parts;
    if (choices.size() == 1) {
        parts.push_back("1 to answer");
    } else if (!choices.empty()) {
        parts.push_back(std::to_string(choices.front()) + "-" + std::to_string(choices.back()) +
                        " to answer");
    }
    if (Usable(IdOk)) parts.push_back("ok to confirm");
    if (Usable(IdSkip)) parts.push_back("s to skip");
    if (driver.CanGoBack()) parts.push_back("b to go back");
    if (Usable(IdHtml)) parts.push_back("h to save the results as a web page");
    parts.push_back("q to quit");
    std::string prompt = "Type ";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) prompt += i + 1 == parts.size() ? " or " : ", ";
        prompt += parts[i];
    }
    return prompt + ":";
}

void TerminalView::ShowPrompt() {
    std::string text = wroteOutput_ ? "\n" : "";
    const Screen& screen = driver.Shown();
    if (screen.Control(IdQuestionText)->visible) {
        std::string question = OneLine(screen.Control(IdQuestionText)->text);
        if (!question.empty()) text += question + "\n";
        for (int k = 1; k <= ChoiceButtonCount; ++k) {
            int id = IdChoice1 + k - 1;
            if (!Usable(id)) continue;
            text += "  " + std::to_string(k) + ") " + OneLine(screen.Control(id)->text) + "\n";
        }
    }
    text += PromptText();
    text += interactive_ ? " " : "\n";
    WriteOut(text);
    std::fflush(out_);
}

void TerminalView::RepeatPrompt() {
    if (!interactive_) return;
    WriteOut(PromptText() + " ");
    std::fflush(out_);
}

void TerminalView::Complain(const std::string& message) {
    std::fflush(out_);
    std::fprintf(err_, "%s: %s\n", ProgramName, VisibleControls(message).c_str());
    std::fflush(err_);
}

}  // namespace kinpath::term
