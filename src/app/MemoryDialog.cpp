#include "app/MemoryDialog.h"

#include "app/MainDialog.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath {

MemoryDialog::MemoryDialog(Session& session, int baseUnitX, int baseUnitY, const Clock* clock)
    : session_(session), driver_(session, *this, *this, clock ? *clock : steadyClock_) {
    client_ = {0, 0, DialogUnitsToPixelsX(DialogUnitsWidth, baseUnitX),
               DialogUnitsToPixelsY(DialogUnitsHeight, baseUnitY)};
    for (const ControlTemplate& t : DialogControls) {
        Control c;
        c.kind = t.kind;
        c.text = t.text;
        c.enabled = t.enabled;
        int left = DialogUnitsToPixelsX(t.x, baseUnitX);
        int top = DialogUnitsToPixelsY(t.y, baseUnitY);
        c.rect = {left, top, left + DialogUnitsToPixelsX(t.width, baseUnitX),
                  top + DialogUnitsToPixelsY(t.height, baseUnitY)};
        controls_[t.id] = c;
        if (t.kind == ControlKind::Bar) bars_[t.id] = Bar{};
    }
    // The pane's text lives in pane_, not in its control entry.
    controls_[IdTranscript].text.clear();
}

const MemoryDialog::Control* MemoryDialog::FindControl(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

MemoryDialog::Control* MemoryDialog::MutableControl(int id) {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const MemoryDialog::Bar* MemoryDialog::FindBar(int id) const {
    auto it = bars_.find(id);
    return it == bars_.end() ? nullptr : &it->second;
}

bool MemoryDialog::HasControl(int id) const { return FindControl(id) != nullptr; }

void MemoryDialog::SetControlText(int id, std::string_view text) {
    if (id == IdTranscript) {
        SetPaneText(text);
    } else if (Control* c = MutableControl(id)) {
        c->text = std::string(text);
    }
}

std::string MemoryDialog::ControlText(int id) const {
    if (id == IdTranscript) return pane_;
    const Control* c = FindControl(id);
    return c ? c->text : std::string();
}

void MemoryDialog::EnableControl(int id, bool enabled) {
    if (Control* c = MutableControl(id)) c->enabled = enabled;
}

bool MemoryDialog::IsControlEnabled(int id) const {
    const Control* c = FindControl(id);
    return c && c->enabled;
}

void MemoryDialog::ShowControl(int id, bool visible) {
    if (Control* c = MutableControl(id)) c->visible = visible;
}

bool MemoryDialog::IsControlVisible(int id) const {
    const Control* c = FindControl(id);
    return c && c->visible;
}

void MemoryDialog::SetChecked(int id, bool checked) {
    if (Control* c = MutableControl(id)) c->checked = checked;
}

bool MemoryDialog::IsChecked(int id) const {
    const Control* c = FindControl(id);
    return c && c->checked;
}

Rect MemoryDialog::ClientRect() const { return client_; }

Rect MemoryDialog::ControlRect(int id) const {
    const Control* c = FindControl(id);
    return c ? c->rect : Rect{};
}

void MemoryDialog::MoveControl(int id, const Rect& rect) {
    if (Control* c = MutableControl(id)) c->rect = rect;
}

void MemoryDialog::Repaint() {}

std::size_t MemoryDialog::PaneLength() const { return paneLength_; }

std::string MemoryDialog::PaneText() const { return pane_; }

void MemoryDialog::SetPaneText(std::string_view text) {
    pane_.assign(text);
    paneLength_ = Utf8Length(pane_);
    selection_ = {};
    linesValid_ = false;
}

void MemoryDialog::AppendPaneText(std::string_view text) {
    pane_.append(text);
    paneLength_ += Utf8Length(text);
    selection_ = {};
    linesValid_ = false;
}

void MemoryDialog::IndexLines() const {
    if (linesValid_) return;
    lineBytes_.assign(1, 0);
    lineStarts_.assign(1, 0);
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < pane_.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(pane_[i]);
        if (byte == '\r' && i + 1 < pane_.size() && pane_[i + 1] == '\n') {
            position += 2;
            ++i;
            lineBytes_.push_back(i + 1);
            lineStarts_.push_back(position);
        } else if ((byte & 0xC0) != 0x80) {
            ++position;  // count code points, not continuation bytes
        }
    }
    linesValid_ = true;
}

int MemoryDialog::PaneLineCount() const {
    IndexLines();
    return static_cast<int>(lineBytes_.size());
}

std::string MemoryDialog::PaneLine(int index) const {
    IndexLines();
    if (index < 0 || index >= static_cast<int>(lineBytes_.size())) return {};
    std::size_t begin = lineBytes_[index];
    std::size_t end =
        index + 1 < static_cast<int>(lineBytes_.size()) ? lineBytes_[index + 1] - 2 : pane_.size();
    return pane_.substr(begin, end - begin);
}

std::uint32_t MemoryDialog::PaneLineStart(int index) const {
    IndexLines();
    if (index < 0 || index >= static_cast<int>(lineStarts_.size()))
        return static_cast<std::uint32_t>(paneLength_);
    return lineStarts_[index];
}

void MemoryDialog::SelectAllPane() { selection_ = {0, static_cast<std::uint32_t>(paneLength_)}; }

PaneSelection MemoryDialog::PaneSelectionRange() const { return selection_; }

void MemoryDialog::SetPaneSelection(std::uint32_t start, std::uint32_t end) {
    selection_ = {start, end};
}

void MemoryDialog::SetBarColour(int barId, Colour colour) {
    posted_.push_back({Posted::Kind::BarColour, barId, 0, 0, colour});
}

void MemoryDialog::SetBarRange(int barId, int low, int high) {
    posted_.push_back({Posted::Kind::BarRange, barId, low, high, {}});
}

void MemoryDialog::SetBarPosition(int barId, std::int32_t position) {
    posted_.push_back({Posted::Kind::BarPosition, barId, position, 0, {}});
}

BoxResult MemoryDialog::MessageBox(BoxOwner, std::string_view, std::string_view,
                                   BoxButtons buttons) {
    return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
}

void MemoryDialog::StartTimer(int timerId, int intervalMs) {
    driver_.StartTimer(timerId, intervalMs);
}

void MemoryDialog::StopTimer(int timerId) { driver_.StopTimer(timerId); }

bool MemoryDialog::TimerRunning(int timerId) const {
    return timerId == IdBarTimer && driver_.TimerRunning();
}

void MemoryDialog::PostCommand(int id) { posted_.push_back({Posted::Kind::Command, id, 0, 0, {}}); }

void MemoryDialog::PostClose() { posted_.push_back({Posted::Kind::Close, 0, 0, 0, {}}); }

void MemoryDialog::PostQuit(int exitCode) {
    posted_.push_back({Posted::Kind::Quit, exitCode, 0, 0, {}});
}

Rect MemoryDialog::DesktopRect() const { return {0, 0, 1024, 768}; }

void MemoryDialog::MoveWindow(int x, int y) {
    windowX_ = x;
    windowY_ = y;
}

bool MemoryDialog::OpenFile(const std::string&) { return true; }

std::unique_ptr<PrintSurface> MemoryDialog::RunPrintDialog(bool) { return nullptr; }

bool MemoryDialog::Start(const std::string& scriptPath) { return driver_.Start(scriptPath); }

bool MemoryDialog::DispatchPosted() {
    while (!driver_.Ended() && !posted_.empty()) {
        Posted p = posted_.front();
        posted_.pop_front();
        Bar* bar = nullptr;
        if (auto it = bars_.find(p.id); it != bars_.end()) bar = &it->second;
        switch (p.kind) {
            case Posted::Kind::Command:
                driver_.Command(p.id);
                break;
            case Posted::Kind::Close:
                driver_.Close();
                break;
            case Posted::Kind::Quit:
                driver_.Quit(p.id);
                break;
            case Posted::Kind::BarColour:
                if (bar) bar->colour = p.colour;
                break;
            case Posted::Kind::BarRange:
                if (bar) bar->low = p.value, bar->high = p.high;
                break;
            case Posted::Kind::BarPosition:
                if (bar) bar->position = p.value;
                break;
        }
    }
    return !driver_.Ended();
}

void MemoryDialog::Tick() {
    driver_.Tick();
    DispatchPosted();
}

void MemoryDialog::Click(int id) {
    Control* c = MutableControl(id);
    if (!c || !c->enabled || !c->visible) return;
    if (c->kind == ControlKind::Choice) {
        for (int k = 0; k < ChoiceButtonCount; ++k) SetChecked(IdChoice1 + k, IdChoice1 + k == id);
    }
    driver_.Command(id);
}

}  // namespace kinpath
