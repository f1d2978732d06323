#include "frontends/term/TerminalRun.h"

#include <cctype>
#include <string>

#include "flow/BarAnimation.h"
#include "flow/Session.h"
#include "frontends/term/TerminalDialog.h"
#include "window/ControlIds.h"

namespace kinpath::term {

namespace {

// Enough ticks for any bar to rise, overshoot and settle; the animation cannot
// be seen here, but the same code runs as in the window.
constexpr int MaxTicksPerStep = 10000;

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

void SettleBars(TerminalDialog& dialog) {
    for (int n = 0;
         n < MaxTicksPerStep && dialog.TimerTicking() && !BarsAtRest(dialog.OwnSession()); ++n) {
        dialog.Tick();
    }
}

enum class Outcome { Done, Rejected, Exit };

Outcome Execute(TerminalDialog& dialog, const std::string& command) {
    if (command == "x" || command == "exit" || command == "q" || command == "quit") {
        return Outcome::Exit;
    }
    if (command.size() == 1 && command[0] >= '1' && command[0] < '1' + ChoiceButtonCount) {
        int id = IdChoice1 + (command[0] - '1');
        if (!dialog.Usable(id)) {
            dialog.Complain("there is no choice " + command + " now");
            return Outcome::Rejected;
        }
        dialog.Click(id);
        if (dialog.Usable(IdOk)) dialog.Click(IdOk);
        return Outcome::Done;
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
        if (!dialog.Usable(button.id)) {
            dialog.Complain(button.refusal);
            return Outcome::Rejected;
        }
        dialog.Click(button.id);
        return Outcome::Done;
    }
    dialog.Complain("unknown command '" + command + "' (use a choice number, ok, s, h or q)");
    return Outcome::Rejected;
}

}  // namespace

int RunSession(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive,
               const std::string& scriptPath) {
    Session session;
    TerminalDialog dialog(session, in, out, err, interactive);
    const bool loaded = dialog.Start(scriptPath);

    bool prompt = true;
    for (;;) {
        bool running = dialog.DispatchPosted();
        SettleBars(dialog);
        dialog.PrintPaneIfChanged();
        if (!running) break;
        if (prompt) dialog.ShowPrompt();

        std::optional<std::string> line = dialog.ReadLine();
        std::string command = line ? Command(*line) : "exit";
        if (command.empty()) {
            prompt = false;
            continue;
        }
        Outcome outcome = Execute(dialog, command);
        if (outcome == Outcome::Exit) {
            dialog.Command(IdExit);
            prompt = false;
        } else {
            prompt = outcome == Outcome::Done;
            if (!prompt) dialog.RepeatPrompt();
        }
    }
    return loaded ? 0 : 1;
}

}  // namespace kinpath::term
