// A view kept in memory: what it shows is the screen as the driver last drew
// it (WindowDriver::Shown), the pane unwrapped. The terminal, the web page
// and the tests build on it; what they show or record of a change, and how
// they answer the print dialog, they add.
#pragma once

#include "window/View.h"

namespace kinpath {

class MemoryView : public View {
public:
    void DrawLayout(Layout) override {}
    void DrawControl(int, const ControlView&) override {}
    void DrawPane(std::string_view) override {}
    void DrawBar(int, std::int32_t) override {}
    void DrawBox(const Box*) override {}
    void DrawEnd(int) override {}

    bool OpenFile(const std::string&) override { return true; }
    // Ticks are whatever the owner calls WindowDriver::Tick for.
    void StartTicks(int) override {}
    void StopTicks() override {}
};

}  // namespace kinpath
