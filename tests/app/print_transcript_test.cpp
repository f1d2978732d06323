// Printing the pane: the page layout, pages of 60 rows, the selection, page
// ranges and the ways a print ends early.
#include <climits>
#include <tuple>

#include "TestSupport.h"
#include "app/PrintTranscript.h"
#include "flow/Transcript.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

auto Fields(const PageGeometry& g) {
    return std::tuple(g.width, g.height, g.top, g.left, g.bottom, g.lineHeight);
}

TEST(PageGeometryTest, SinglePrecisionMarginAtEveryResolution) {
    // Width follows the horizontal resolution alone, height the vertical one.
    EXPECT_EQ(Fields(ComputePageGeometry(75, 600)), std::tuple(637, 6600, 330, 31, 6269, 98));
    // The margin factor is 0.05 held in single precision, slightly above 0.05;
    // each product is truncated to whole pixels.
    const double m = 0.05f;
    for (int dpi = 1; dpi <= 27000; ++dpi) {
        const int width = dpi * 17 / 2, height = dpi * 11;
        const int top = int(height * m), bottom = int(height - height * m);
        ASSERT_EQ(Fields(ComputePageGeometry(dpi, dpi)),
                  std::tuple(width, height, top, int(width * m), bottom, (bottom - top) / 60))
            << dpi;
    }
    // Whatever a driver reports, no row lies left of or above the page, and
    // the last row's position is representable.
    for (int dpi : {0, -300, INT_MAX}) {
        const PageGeometry g = ComputePageGeometry(dpi, dpi);
        EXPECT_GE(std::min({g.top, g.left, g.lineHeight}), 0) << dpi;
        EXPECT_LE(g.top + 59LL * g.lineHeight, INT_MAX) << dpi;
    }
}

// The printer calls for these texts, 60 rows to a page, at the layout the
// geometry test holds for the resolution.
std::vector<std::string> Expected(const std::vector<std::string>& texts, int dpi = 300) {
    const PageGeometry g = ComputePageGeometry(dpi, dpi);
    std::vector<std::string> log{"font Arial " + std::to_string(g.lineHeight), "document Kinpath"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && i % 60 == 0) log.push_back("end page");
        if (i % 60 == 0) log.push_back("page");
        const int y = g.top + static_cast<int>(i % 60) * g.lineHeight;
        log.push_back(std::to_string(g.left) + "," + std::to_string(y) + " " + texts[i]);
    }
    log.insert(log.end(), {"end page", "end document"});
    return log;
}

// "line <from>" to "line <to - 1>", then the blank row of the empty last line if asked.
std::vector<std::string> Lines(int from, int to, bool blankLast = false) {
    std::vector<std::string> lines;
    for (int i = from; i < to; ++i) lines.push_back("line " + std::to_string(i));
    if (blankLast) lines.push_back(" ");
    return lines;
}

class PrintTest : public ProgramTest {
protected:
    // The screen's pane: its text and its lines unwrapped, the caret at its start.
    void Append(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) AppendTranscriptLine(pane, line.c_str());
        screen.pane = pane.Text();
        screen.paneLines = UnwrappedLines(screen.pane);
        screen.selection = {};
    }
    void Clear() { ClearTranscript(pane); }
    // Prints pages first to last (0, 0: every page); a printer it got is released.
    void Print(int first = 0, int last = 0) {
        dialog.printFirstPage = first;
        dialog.printLastPage = last;
        dialog.printJobs.clear();
        dialog.drawnSelection.reset();
        if (std::optional<Box> box = PrintTranscript(dialog.Printer(), screen, dialog))
            dialog.boxes.push_back(*box);
        ASSERT_EQ(dialog.printJobs.size(), 1u);
        EXPECT_EQ(dialog.printJobs[0].released, !dialog.printCancel);
    }
    // The print job's calls, as Expected writes them.
    std::vector<std::string> Log() const {
        static const std::string Names[] = {"font ", "document ", "page",
                                            "",      "end page",  "end document"};
        std::vector<std::string> log;
        for (const PrintEvent& e : dialog.printJobs.at(0).events) {
            log.push_back(Names[static_cast<int>(e.kind)] + e.text);
            if (e.kind == PrintEvent::Kind::SetFont) log.back() += " " + std::to_string(e.x);
            if (e.kind == PrintEvent::Kind::DrawText)
                log.back().insert(0, std::to_string(e.x) + "," + std::to_string(e.y) + " ");
        }
        return log;
    }
    Transcript pane;
    Screen screen;
};

TEST_F(PrintTest, WholePanePrintsSixtyRowsAPage) {
    // 61 displayed lines: an empty one first, a long one (printed whole, its
    // control characters as U+FFFD), "line 2" to "line 59" and the empty one
    // behind the last break.
    Append({"", std::string(300, 'x') + "\xC3\xA9\x01\t\x7F"});
    Append(Lines(2, 60));
    dialog.printDpiX = dialog.printDpiY = 600;
    screen.selection = {5, 9};
    Print();
    std::vector<std::string> rows = Lines(2, 60, true);
    rows.insert(rows.begin(), {" ", std::string(300, 'x') + "\xC3\xA9\xEF\xBF\xBD\t\xEF\xBF\xBD"});
    EXPECT_EQ(Log(), Expected(rows, 600));
    // Printing everything leaves the whole text selected, on the view too.
    EXPECT_EQ(screen.selection, (PaneSelection{0, std::uint32_t(Utf8Length(screen.pane))}));
    EXPECT_EQ(dialog.drawnSelection, screen.selection);
}

TEST_F(PrintTest, SelectionPrintsTheLinesItTouches) {
    // The first line (the second is "CD"), the selection and the lines printed.
    using Case = std::tuple<const char*, std::uint32_t, std::uint32_t, std::vector<std::string>>;
    const Case cases[] = {
        {"AB", 4, 6, {"CD"}},  // exactly CD: not the empty last line
        {"AB", 0, 2, {"AB"}},  // exactly AB: not CD
        {"AB", 2, 4, {"AB"}},  // AB's line break belongs to AB
        {"AB", 1, 5, {"AB", "CD"}},
        {"AB", 0, 8, {"AB", "CD"}},
        {"\xC3\xA9\xC3\xA9", 4, 6, {"CD"}},  // positions count characters, not bytes
    };
    dialog.printSelection = true;
    for (const auto& [first, start, end, printed] : cases) {
        SCOPED_TRACE(::testing::Message() << first << " " << start << "-" << end);
        Clear();
        Append({first, "CD"});
        screen.selection = {start, end};
        Print();
        EXPECT_EQ(Log(), Expected(printed));
        EXPECT_EQ(screen.selection, (PaneSelection{start, end}));  // left as the user made it
        EXPECT_FALSE(dialog.drawnSelection);
    }
    // From the middle of line 70 to the start of line 131: 61 rows, paged anew.
    Clear();
    Append(Lines(0, 200));
    screen.selection = {screen.paneLines[70].start + 2, screen.paneLines[131].start};
    Print();
    EXPECT_EQ(Log(), Expected(Lines(70, 131)));
}

TEST_F(PrintTest, PageRangeSendsOnlyItsPages) {
    Append(Lines(0, 130));  // 131 displayed lines: pages of 60, 60 and 11
    Print(2, 2);
    EXPECT_EQ(Log(), Expected(Lines(60, 120)));
    Print(3, 9);
    EXPECT_EQ(Log(), Expected(Lines(120, 130, true)));
    Print(4, 5);  // a range past the end starts no document
    EXPECT_EQ(Log(), std::vector<std::string>{"font Arial 49"});
}

TEST_F(PrintTest, CancelChangesNothingAndAFailingPrinterIsReported) {
    Append(Lines(0, 3));
    dialog.printCancel = true;
    Print();
    EXPECT_TRUE(Log().empty() && dialog.boxes.empty() && !dialog.drawnSelection);

    // A printer that fails at any step, before or after the job started,
    // stops the job there and says so once.
    dialog.printCancel = false;
    using Kind = PrintEvent::Kind;
    for (Kind failing : {Kind::StartDocument, Kind::StartPage, Kind::EndPage, Kind::EndDocument}) {
        dialog.boxes.clear();
        dialog.printFailsAt = failing;
        Print();
        EXPECT_EQ(dialog.printJobs.back().events.back().kind, failing);
        ASSERT_EQ(dialog.boxes.size(), 1u);
        EXPECT_EQ(std::tuple(dialog.boxes[0].owner, dialog.boxes[0].text, dialog.boxes[0].caption),
                  std::tuple(BoxOwner::Dialog, "Could not print the results", "Error"));
    }
}

}  // namespace
}  // namespace kinpath::testing
