// The main dialog as a web page. The pane is laid out unwrapped (one line per
// written line, as in the terminal, so that the saved page and the print
// equal kinpath-cli's); every change the driver draws goes into
// the page's controls through one small call of the page's script
// (shell.html), which keeps no state of the questionnaire.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/MemoryView.h"
#include "app/WindowDriver.h"

namespace kinpath::web {

class WebView : public MemoryView {
public:
    // Makes the page's controls afresh, as the template has them. The
    // driver, which must outlive the view's use, gets the print dialog's answers.
    WebView();
    void Attach(WindowDriver& driver) { driver_ = &driver; }
    ~WebView() override;
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    void DrawCaption(std::string_view caption) override;
    void DrawTableWords(const std::array<std::string, 2>& words) override;
    void DrawLayout(Layout layout) override;
    void DrawControl(int id, const ControlView& control) override;
    void DrawPane(std::string_view text) override;
    void DrawBar(int barId, std::int32_t position) override;
    void DrawFocus(int id) override;
    void DrawBox(const Box* box) override;
    void DrawProgress(int number, int count) override;
    // The pick and why, above the report; none takes it away.
    void DrawVerdict(const Verdict* verdict) override;
    // The page's Back beside OK (the browser has its own Forward).
    void DrawSteps(bool back, bool forward) override;
    void DrawEnd() override;

    void DrawSelection(PaneSelection selection) override;
    bool OpenFile(const std::string& path) override;
    void AskPrint(bool selectionAvailable) override;
    void StartTicks(int intervalMs) override;
    void StopTicks() override;

    // --- What only the page shows.
    // The strip of the leading rows while answering (empty: none).
    void DrawLeaders(const std::string& text);
    // A control only the page has (Back, Share).
    void DrawPageControl(int id, bool enabled, bool visible);
    // The screen's focus, once the driver drew a change of it or a box
    // closed, the page drew what it adds and no box is open: a new question
    // or the results scrolled into sight from their top, the results' pane
    // as the pick above it.
    void ShowFocus(int id);

    // The answer a button of the open box gives, by its place (-1: the
    // box's cancel, Escape); none for no button of it.
    std::optional<BoxResult> ChoiceOfButton(int index) const;
    // What the user selected in the page's pane, in pane positions.
    PaneSelection PageSelection() const;
    bool BoxOpen() const { return !boxChoices_.empty(); }
    // The window is in sight: a loaded script drew into it.
    bool WindowShown() const { return shown_; }

private:
    // The page's box: its buttons in order, the one Escape presses (-1: none)
    // and the one focused first.
    void OpenBox(const Box& box, const std::vector<std::pair<const char*, BoxResult>>& buttons,
                 int cancel, int focus);
    void Reveal();

    std::vector<BoxResult> boxChoices_;
    int boxCancel_ = -1;
    WindowDriver* driver_ = nullptr;
    // The pane's text as last drawn, to tell what a new text adds.
    std::string pane_;
    std::string leaders_;
    bool shown_ = false;
    bool focusDue_ = false;
    // A new face (a question, the results) since the focus was last shown.
    bool newFace_ = false;
    bool results_ = false;
};

}  // namespace kinpath::web
