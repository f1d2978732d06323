// A view kept in memory: the pane unwrapped (TextPane), the rest as the
// driver last drew it (WindowDriver::Shown). The terminal, the web page and
// the tests build on it; what they show or record of a change, they add.
#pragma once

#include "app/TextPane.h"
#include "window/View.h"

namespace kinpath {

class MemoryView : public View {
public:
    int PaneLineCount() const override { return pane_.LineCount(); }
    std::string PaneLine(int index) const override { return pane_.Line(index); }
    std::uint32_t PaneLineStart(int index) const override { return pane_.LineStart(index); }
    void SelectAllPane() override { pane_.SelectAll(); }
    PaneSelection PaneSelectionRange() const override { return pane_.Selection(); }

    void DrawLayout(Layout) override {}
    void DrawControl(int, const ControlView&) override {}
    void DrawPane(std::string_view text) override { pane_.SetText(text); }
    void DrawBar(int, std::int32_t) override {}
    void DrawBox(const Box*) override {}
    void DrawEnd() override {}

    bool OpenFile(const std::string&) override { return true; }
    std::unique_ptr<PrintSurface> RunPrintDialog(bool) override { return nullptr; }
    // Ticks are whatever the owner calls WindowDriver::Tick for.
    void StartTicks(int) override {}
    void StopTicks() override {}

    const TextPane& Pane() const { return pane_; }
    TextPane& Pane() { return pane_; }

private:
    TextPane pane_;
};

}  // namespace kinpath
