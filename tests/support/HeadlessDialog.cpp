#include "HeadlessDialog.h"

#include "window/ControlIds.h"

namespace kinpath::testing {

namespace {
class RecordingSurface : public PrintSurface {
public:
    RecordingSurface(const HeadlessDialog& d, PrintLog& log) : d_(d), log_(log) {}
    ~RecordingSurface() override { log_.released = true; }
    bool SelectionOnly() const override { return d_.printSelection; }
    int FirstPage() const override { return d_.printFirstPage; }
    int LastPage() const override { return d_.printLastPage; }
    int DotsPerInchX() const override { return d_.printDpiX; }
    int DotsPerInchY() const override { return d_.printDpiY; }
    void SetFont(std::string_view face, int cellHeight) override {
        log_.events.push_back({PrintEvent::Kind::SetFont, std::string(face), cellHeight, 0});
    }
    bool StartDocument(std::string_view name) override {
        return Step(PrintEvent::Kind::StartDocument, std::string(name));
    }
    bool StartPage() override { return Step(PrintEvent::Kind::StartPage); }
    void DrawText(int x, int y, std::string_view text) override {
        log_.events.push_back({PrintEvent::Kind::DrawText, std::string(text), x, y});
    }
    bool EndPage() override { return Step(PrintEvent::Kind::EndPage); }
    bool EndDocument() override { return Step(PrintEvent::Kind::EndDocument); }

private:
    // Logs a step of the job; false for the step the printer is to fail at.
    bool Step(PrintEvent::Kind kind, std::string text = {}) {
        log_.events.push_back({kind, std::move(text), 0, 0});
        return d_.printFailsAt != kind;
    }

    const HeadlessDialog& d_;
    PrintLog& log_;
};
}  // namespace

HeadlessDialog::HeadlessDialog(const Clock* clock, FileSystem* files)
    : driver(*this, clock ? *clock : steadyClock, files) {}

bool HeadlessDialog::Start(const std::string& scriptPath) { return driver.Start(scriptPath); }

void HeadlessDialog::Click(int id) {
    if (driver.Shown().Usable(id)) driver.Press(id);
}

void HeadlessDialog::Tick() { driver.Tick(); }

std::string HeadlessDialog::ControlText(int id) const {
    return id == IdTranscript ? PaneText() : Shown(id).text;
}

bool HeadlessDialog::IsControlEnabled(int id) const { return Shown(id).enabled; }
bool HeadlessDialog::IsControlVisible(int id) const { return Shown(id).visible; }
bool HeadlessDialog::IsChecked(int id) const { return Shown(id).checked; }

const ControlView& HeadlessDialog::Shown(int id) const {
    static const ControlView none{"", false, false, false};
    const ControlView* c = driver.Shown().Control(id);
    return c ? *c : none;
}

std::int32_t HeadlessDialog::BarPosition(int barId) const {
    const int index = barId - IdFirstBar;
    return index >= 0 && index < BarCount ? driver.Shown().bars[static_cast<std::size_t>(index)]
                                          : 0;
}

Rect HeadlessDialog::ClientRect() const {
    // The dialog font's base units of 6 by 13 pixels.
    return {0, 0, DialogUnitsToPixelsX(DialogUnitsWidth, 6),
            DialogUnitsToPixelsY(DialogUnitsHeight, 13)};
}

void HeadlessDialog::DrawBox(const Box* box) {
    if (box == nullptr) return;
    boxes.push_back(*box);
    BoxResult answer = BoxResult::Ok;
    if (box->buttons != BoxButtons::Ok) {
        answer = BoxResult::No;
        if (!yesNoAnswers.empty()) {
            answer = yesNoAnswers.front();
            yesNoAnswers.pop_front();
        }
    }
    // Answered as soon as shown; the driver takes it once the box is drawn.
    driver.Answer(answer);
}

bool HeadlessDialog::OpenFile(const std::string& path) {
    openedFiles.push_back(path);
    return viewerStarts;
}

void HeadlessDialog::AskPrint(bool selectionAvailable) {
    printAsked = selectionAvailable;
    if (!printLater) AnswerPrint();
}

void HeadlessDialog::AnswerPrint() {
    std::unique_ptr<PrintSurface> printer = Printer();
    printJobs.back().selectionOffered = printAsked.value_or(false);
    printAsked.reset();
    driver.Printed(std::move(printer));
}

std::unique_ptr<PrintSurface> HeadlessDialog::Printer() {
    printJobs.emplace_back();
    if (printCancel) return nullptr;
    // The log lives in a vector that may grow later; the surface is used and
    // released within one print, before any further dialog.
    return std::make_unique<RecordingSurface>(*this, printJobs.back());
}

}  // namespace kinpath::testing
