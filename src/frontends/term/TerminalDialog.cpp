#include "frontends/term/TerminalDialog.h"

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

TerminalDialog::TerminalDialog(Session& session, std::FILE* in, std::FILE* out, std::FILE* err,
                               bool interactive)
    : MemoryDialog(session), in_(in), out_(out), err_(err), interactive_(interactive) {}

bool TerminalDialog::Usable(int id) const { return IsControlEnabled(id) && IsControlVisible(id); }

BoxResult TerminalDialog::MessageBox(BoxOwner, std::string_view text, std::string_view caption,
                                     BoxButtons buttons) {
    // Whatever went to standard output so far comes first.
    std::fflush(out_);
    std::string line = OneLine(caption) + ": " + OneLine(text);
    if (buttons == BoxButtons::YesNo && interactive_) {
        std::fprintf(err_, "%s [y/N] ", line.c_str());
    } else {
        std::fprintf(err_, "%s\n", line.c_str());
    }
    std::fflush(err_);
    if (buttons == BoxButtons::Ok) return BoxResult::Ok;
    std::optional<std::string> answer = ReadLine();
    if (!answer) return BoxResult::No;
    std::string word = Lower(Trimmed(*answer));
    return word == "y" || word == "yes" ? BoxResult::Yes : BoxResult::No;
}

bool TerminalDialog::OpenFile(const std::string& path) {
    WriteOut(VisibleControls(path) + "\n");
    std::fflush(out_);
    return true;
}

std::optional<std::string> TerminalDialog::ReadLine() {
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

void TerminalDialog::WriteOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out_);
    wroteOutput_ = true;
}

void TerminalDialog::PrintPaneIfChanged() {
    std::string pane = PaneText();
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

std::string TerminalDialog::PromptText() const {
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
    if (Usable(IdHtml)) parts.push_back("h to save the results as a web page");
    parts.push_back("q to quit");
    std::string prompt = "Type ";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) prompt += i + 1 == parts.size() ? " or " : ", ";
        prompt += parts[i];
    }
    return prompt + ":";
}

void TerminalDialog::ShowPrompt() {
    std::string text = wroteOutput_ ? "\n" : "";
    if (IsControlVisible(IdQuestionText)) {
        std::string question = OneLine(ControlText(IdQuestionText));
        if (!question.empty()) text += question + "\n";
        for (int k = 1; k <= ChoiceButtonCount; ++k) {
            int id = IdChoice1 + k - 1;
            if (!Usable(id)) continue;
            text += "  " + std::to_string(k) + ") " + OneLine(ControlText(id)) + "\n";
        }
    }
    text += PromptText();
    text += interactive_ ? " " : "\n";
    WriteOut(text);
    std::fflush(out_);
}

void TerminalDialog::RepeatPrompt() {
    if (!interactive_) return;
    WriteOut(PromptText() + " ");
    std::fflush(out_);
}

void TerminalDialog::Complain(const std::string& message) {
    std::fflush(out_);
    std::fprintf(err_, "%s: %s\n", ProgramName, VisibleControls(message).c_str());
    std::fflush(err_);
}

}  // namespace kinpath::term
