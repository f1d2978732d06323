// What the window shows, as a value: every control's state, the layout, the
// pane's text, the bars' positions and the box waiting for an answer. The
// questionnaire machine says what it should be; the front ends draw it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "window/ControlIds.h"
#include "window/DialogTemplate.h"
#include "window/WindowWords.h"

namespace kinpath {

// LeaveStay: Yes and No worded for leaving the questions (Leave, Stay), No
// what a box's cancel does.
enum class BoxButtons { Ok, YesNo, LeaveStay };
enum class BoxResult { Ok, Yes, No };
// Script errors are shown with no owner window; everything else is owned by the dialog.
enum class BoxOwner { None, Dialog };

// Selection in pane positions: every character counts one, every line break
// two. The end is the position after the last selected character; both equal
// the caret's position when nothing is selected.
struct PaneSelection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    friend bool operator==(const PaneSelection&, const PaneSelection&) = default;
};

// A line of the pane as the window lays it out: its whole text (UTF-8,
// without its line break) and the position of its first character. Wrapped
// pieces count as lines, the empty piece after a final line break is a line,
// an empty pane is one line.
struct PaneLine {
    std::string text;
    std::uint32_t start = 0;
    friend bool operator==(const PaneLine&, const PaneLine&) = default;
};

// A modal message box. Texts are UTF-8 with CR LF line breaks.
struct Box {
    BoxOwner owner = BoxOwner::Dialog;
    std::string text;
    std::string caption;
    BoxButtons buttons = BoxButtons::Ok;
    friend bool operator==(const Box&, const Box&) = default;
};

struct ControlView {
    std::string text;  // UTF-8
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    friend bool operator==(const ControlView&, const ControlView&) = default;
};

// The dialog's two faces: the questions, or the results, where the pane fills
// the window above the button row (ResultsPaneRect).
enum class Layout { Questions, Results };

// The pick and why, for a view that explains it beside the report.
struct Verdict {
    std::string race;
    std::string className;  // empty in a game of one table
    // What the game calls a row of each table.
    std::array<std::string, 2> words{"race", "class"};
    struct Standing {
        std::string name;
        std::int32_t score = 0;
        friend bool operator==(const Standing&, const Standing&) = default;
    };
    // Every race and class with its score, as the ranking ordered them.
    std::vector<Standing> races;
    std::vector<Standing> classes;
    // What the picked race and class are, a line each ("Dwarf: ..."), for
    // those the game describes.
    std::vector<std::string> about;
    // Why, in the player's terms: the answers behind the pick, the runner-up
    // or the ties, what was passed over and what the shared totals mean.
    std::vector<std::string> reasons;
    friend bool operator==(const Verdict&, const Verdict&) = default;
};

struct Screen {
    // The window's caption (the page's title and heading).
    std::string caption = DialogCaption;
    // What the game calls a row of each table (none for the second table of
    // a game of one table): a window that heads its groups of bars says so.
    std::array<std::string, 2> tableWords{"race", "class"};
    // In template order (DialogControls); the pane's text is in pane.
    std::array<ControlView, ControlCount> controls;
    Layout layout = Layout::Questions;
    std::string pane;  // UTF-8, CR LF after every line
    // The pane's lines as the window lays them out, which the saved page and
    // the print follow: each written line is one until a window that wraps
    // reports its own (WindowDriver::PaneLaidOut).
    std::vector<PaneLine> paneLines;
    // What is selected in the pane; a new text leaves the caret at its start.
    PaneSelection selection;
    // Bar positions by bar index (bar IdFirstBar + index).
    std::array<std::int32_t, BarCount> bars{};
    // The first box waiting for an answer; input other than its answer waits.
    std::optional<Box> box;
    // How many boxes were answered so far: a box equal to the one before is
    // still another box.
    std::uint32_t boxesAnswered = 0;
    // Where the player is: question n (from 1) of count, 0 before the first
    // and on the results; skipped questions count as asked.
    int questionNumber = 0;
    int questionCount = 0;
    // Once the pick is made.
    std::optional<Verdict> verdict;
    bool ended = false;
    // Whether Back can take a step back now, and whether the steps taken
    // back can be gone forward to again (a browser's Forward): the driver
    // says, from the run and its log.
    bool canGoBack = false;
    bool canGoForward = false;
    // The control holding the keyboard focus (0: none of the window's, and
    // the window leaves it where it is), and the one choice Tab reaches (0
    // when no choice is usable): the driver decides both (app/MainDialog.h).
    int focus = 0;
    int choiceTabStop = 0;

    const ControlView* Control(int id) const;
    ControlView* Control(int id);
    // Enabled and shown: what a click or key can reach.
    bool Usable(int id) const;
    friend bool operator==(const Screen&, const Screen&) = default;
};

// The screen as the template makes it, before anything is shown in it.
Screen TemplateScreen();

}  // namespace kinpath
