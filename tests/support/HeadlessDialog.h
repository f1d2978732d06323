// The dialog the tests drive: everything in memory, every message box, opened
// file and print job recorded, Yes/No boxes answered from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/MemoryDialog.h"

namespace kinpath::testing {

struct RecordedBox {
    BoxOwner owner;
    std::string text;
    std::string caption;
    BoxButtons buttons;
};

// What a recorded printer saw, in order.
struct PrintEvent {
    enum class Kind { SetFont, StartDocument, StartPage, DrawText, EndPage, EndDocument } kind;
    std::string text;  // font face, document name or drawn text
    int x = 0;         // DrawText position; SetFont cell height in x
    int y = 0;
};

struct PrintLog {
    std::vector<PrintEvent> events;
    bool released = false;
    bool selectionOffered = false;
};

class HeadlessDialog : public MemoryDialog {
public:
    using MemoryDialog::MemoryDialog;

    BoxResult MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                         BoxButtons buttons) override;
    bool OpenFile(const std::string& path) override;
    std::unique_ptr<PrintSurface> RunPrintDialog(bool selectionAvailable) override;

    std::vector<RecordedBox> boxes;
    std::deque<BoxResult> yesNoAnswers;  // empty: No
    std::vector<std::string> openedFiles;
    bool viewerStarts = true;  // what OpenFile answers

    // How the next print dialog answers.
    bool printCancel = false;
    bool printSelection = false;
    int printDpiX = 300;
    int printDpiY = 300;
    int printFirstPage = 0;
    int printLastPage = 0;
    // The first step of this kind fails, as a printer that stops would.
    std::optional<PrintEvent::Kind> printFailsAt;
    std::vector<PrintLog> printJobs;  // one per dialog shown
};

}  // namespace kinpath::testing
