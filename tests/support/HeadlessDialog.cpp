#include "HeadlessDialog.h"

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

BoxResult HeadlessDialog::MessageBox(BoxOwner owner, std::string_view text,
                                     std::string_view caption, BoxButtons buttons) {
    boxes.push_back({owner, std::string(text), std::string(caption), buttons});
    if (buttons == BoxButtons::Ok) return BoxResult::Ok;
    if (yesNoAnswers.empty()) return BoxResult::No;
    BoxResult answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

bool HeadlessDialog::OpenFile(const std::string& path) {
    openedFiles.push_back(path);
    return viewerStarts;
}

std::unique_ptr<PrintSurface> HeadlessDialog::RunPrintDialog(bool selectionAvailable) {
    printJobs.emplace_back();
    printJobs.back().selectionOffered = selectionAvailable;
    if (printCancel) return nullptr;
    // The log lives in a vector that may grow later; the surface is used and
    // released within one PrintTranscript call, before any further dialog.
    return std::make_unique<RecordingSurface>(*this, printJobs.back());
}

}  // namespace kinpath::testing
