#include "frontends/term/TerminalRun.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "frontends/term/TerminalView.h"
#include "window/ControlIds.h"

namespace kinpath::term {

namespace {

std::string Command(const std::string& line) {
    std::string word;
    for (char c : line) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            word += ' ';
        }
    }
    while (!word.empty() && word.back() == ' ') word.pop_back();
    return word;
}

enum class Outcome { Done, Rejected, Exit };

Outcome Execute(TerminalView& view, const std::string& command) {
    if (command == "x" || command == "exit" || command == "q" || command == "quit") {
        return Outcome::Exit;
    }
    if (command.size() == 1 && command[0] >= '1' && command[0] < '1' + ChoiceButtonCount) {
        if (!view.driver.Press(IdChoice1 + (command[0] - '1')).accepted) {
            view.Complain("there is no choice " + command + " now");
            return Outcome::Rejected;
        }
        view.driver.Press(IdOk);
        return Outcome::Done;
    }
    if (command == "b" || command == "back") {
        if (view.driver.Back()) return Outcome::Done;
        view.Complain("there is no answer to take back now");
        return Outcome::Rejected;
    }
    struct Button {
        const char* shortName;
        const char* longName;
        int id;
        const char* refusal;
    };
    static constexpr Button Buttons[] = {
        {"ok", "ok", IdOk, "OK is not possible now"},
        {"s", "skip", IdSkip, "there is no question to skip now"},
        {"h", "html", IdHtml, "the results can be saved once all questions are done"},
    };
    for (const Button& button : Buttons) {
        if (command != button.shortName && command != button.longName) continue;
        if (view.driver.Press(button.id).accepted) return Outcome::Done;
        view.Complain(button.refusal);
        return Outcome::Rejected;
    }
    view.Complain("unknown command '" + command + "' (use a choice number, ok, s, b, h or q)");
    return Outcome::Rejected;
}

}  // namespace

int RunSession(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive,
               const std::string& scriptPath) {
    TerminalView view(in, out, err, interactive);
    const bool loaded = view.driver.Start(scriptPath);

    bool prompt = true;
    for (;;) {
        view.PrintPaneIfChanged();
        // Output that fails (a closed pipe, a full disk) ends the run.
        if (view.driver.Ended() || std::ferror(out)) break;
        if (prompt) view.ShowPrompt();

        std::optional<std::string> line = view.ReadLine();
        std::string command = line ? Command(*line) : "exit";
        if (command.empty()) {
            prompt = false;
            continue;
        }
        Outcome outcome = Execute(view, command);
        if (outcome == Outcome::Exit) {
            view.driver.Press(IdExit);
            prompt = false;
        } else {
            prompt = outcome == Outcome::Done;
            if (!prompt) view.RepeatPrompt();
        }
    }
    return loaded ? 0 : 1;
}

}  // namespace kinpath::term
