// The main dialog in a terminal: the window lives in memory, its pane and
// question area are written to standard output, message boxes to standard
// error, and answers are read line by line from standard input.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "app/MemoryView.h"
#include "app/WindowDriver.h"

namespace kinpath::term {

inline constexpr const char* ProgramName = "kinpath-cli";

class TerminalView : public MemoryView {
public:
    // interactive: input comes from a person at a terminal, so prompts stay on
    // the input line.
    TerminalView(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive);

    // A box is a line on standard error; a Yes/No box reads its answer from
    // the next input line.
    // A game's own title heads the output.
    void DrawCaption(std::string_view caption) override;
    void DrawBox(const Box* box) override;
    // No viewer in a terminal: the saved file's path is printed instead, its
    // control characters made visible.
    bool OpenFile(const std::string& path) override;
    // No printer in a terminal: the dialog is cancelled at once.
    void AskPrint(bool) override { driver.Printed(nullptr); }

    // The next input line without its line end; none at the end of input. A
    // line longer than 4096 bytes is dropped with a notice and reads as empty.
    std::optional<std::string> ReadLine();
    // Prints the pane's whole text when it differs from what was printed last.
    void PrintPaneIfChanged();
    // The question and its usable choices, or the results screen's choices,
    // followed by the prompt.
    void ShowPrompt();
    // The prompt alone, after a command that could not be carried out.
    void RepeatPrompt();
    // One line "kinpath-cli: <message>" on standard error, control characters
    // made visible.
    void Complain(const std::string& message);

    // Whether a control can be used now: enabled and shown.
    bool Usable(int id) const { return driver.Shown().Usable(id); }

    SteadyClock clock;
    WindowDriver driver;

private:
    void WriteOut(const std::string& text);
    std::string PromptText() const;

    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
    bool interactive_;
    bool wroteOutput_ = false;
    std::string printedPane_;
};

}  // namespace kinpath::term
