// Printing the pane: the page layout, pages of 60 rows, the selection, page
// ranges and the ways a print ends early.
#include <climits>
#include <cmath>
#include <tuple>

#include "TestSupport.h"
#include "app/MainDialog.h"
#include "app/PrintTranscript.h"
#include "flow/Transcript.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

using Kind = PrintEvent::Kind;

auto Fields(const PageGeometry& g) {
    return std::tuple(g.width, g.height, g.top, g.left, g.bottom, g.lineHeight);
}

TEST(PageGeometryTest, WorkedValuesAndTheSinglePrecisionMarginAtEveryResolution) {
    EXPECT_EQ(Fields(ComputePageGeometry(72, 72)), std::tuple(612, 792, 39, 30, 752, 11));
    EXPECT_EQ(Fields(ComputePageGeometry(96, 96)), std::tuple(816, 1056, 52, 40, 1003, 15));
    EXPECT_EQ(Fields(ComputePageGeometry(300, 300)), std::tuple(2550, 3300, 165, 127, 3134, 49));
    EXPECT_EQ(Fields(ComputePageGeometry(600, 600)), std::tuple(5100, 6600, 330, 255, 6269, 98));
    EXPECT_EQ(Fields(ComputePageGeometry(1200, 1200)),
              std::tuple(10200, 13200, 660, 510, 12539, 197));
    // Width follows the horizontal resolution alone, height the vertical one.
    EXPECT_EQ(Fields(ComputePageGeometry(75, 600)), std::tuple(637, 6600, 330, 31, 6269, 98));

    // The margin factor is 0.05 held in single precision, slightly above 0.05.
    const double m = static_cast<double>(0.05f);
    for (int dpi = 1; dpi <= 27000; ++dpi) {
        const double width = std::trunc(dpi * 8.5), height = dpi * 11.0;
        const int top = static_cast<int>(std::trunc(height * m));
        const int bottom = static_cast<int>(std::trunc(height - height * m));
        ASSERT_EQ(Fields(ComputePageGeometry(dpi, dpi)),
                  std::tuple(static_cast<int>(width), static_cast<int>(height), top,
                             static_cast<int>(std::trunc(width * m)), bottom, (bottom - top) / 60))
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

// Where rows go: the left edge, the first row's top and the distance between rows.
struct Rows {
    int left, top, step;
};
constexpr Rows At300{127, 165, 49}, At600{255, 330, 98};

// The printer calls for these texts, 60 rows to a page.
std::vector<std::string> Expected(const std::vector<std::string>& texts, Rows at = At300) {
    std::vector<std::string> log = {"font Arial " + std::to_string(at.step), "document Kinpath"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && i % 60 == 0) log.push_back("end page");
        if (i % 60 == 0) log.push_back("page");
        const int y = at.top + static_cast<int>(i % 60) * at.step;
        log.push_back(std::to_string(at.left) + "," + std::to_string(y) + " " + texts[i]);
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
    void Append(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) AppendTranscriptLine(dialog, line.c_str());
    }
    // Prints pages first to last (0, 0: every page).
    void Print(int first = 0, int last = 0) {
        dialog.printFirstPage = first;
        dialog.printLastPage = last;
        dialog.printJobs.clear();
        DialogCommand(session, dialog, IdPrint);
        ASSERT_EQ(dialog.printJobs.size(), 1u);
        EXPECT_TRUE(dialog.printJobs[0].released);
    }
    // The print job's calls, as Expected writes them.
    std::vector<std::string> Log() const {
        static const std::string Names[] = {"font ", "document ", "page",
                                            "",      "end page",  "end document"};
        std::vector<std::string> log;
        for (const PrintEvent& e : dialog.printJobs.at(0).events) {
            log.push_back(Names[static_cast<int>(e.kind)] + e.text);
            if (e.kind == Kind::SetFont) log.back() += " " + std::to_string(e.x);
            if (e.kind == Kind::DrawText)
                log.back().insert(0, std::to_string(e.x) + "," + std::to_string(e.y) + " ");
        }
        return log;
    }
};

TEST_F(PrintTest, WholePanePrintsSixtyRowsAPage) {
    // 61 displayed lines: an empty one first, a long one (read as its first 255
    // characters), "line 2" to "line 59" and the empty one behind the last break.
    Append({"", std::string(300, 'x')});
    Append(Lines(2, 60));
    dialog.printDpiX = dialog.printDpiY = 600;
    Print();
    EXPECT_FALSE(dialog.printJobs[0].selectionOffered);
    std::vector<std::string> rows = Lines(2, 60, true);
    rows.insert(rows.begin(), {" ", std::string(255, 'x')});
    EXPECT_EQ(Log(), Expected(rows, At600));
    // Printing everything leaves the whole text selected.
    EXPECT_EQ(dialog.PaneSelectionRange().start, 0u);
    EXPECT_EQ(dialog.PaneSelectionRange().end, dialog.PaneLength());
}

TEST_F(PrintTest, SelectionPrintsTheLinesItTouches) {
    struct Case {
        const char* first;  // the first line; the second is "CD"
        std::uint32_t start, end;
        std::vector<std::string> printed;
    };
    const Case cases[] = {
        {"AB", 4, 6, {"CD"}},  // exactly CD: not the empty last line
        {"AB", 0, 2, {"AB"}},  // exactly AB: not CD
        {"AB", 2, 4, {"AB"}},  // AB's line break belongs to AB
        {"AB", 1, 5, {"AB", "CD"}},
        {"AB", 0, 8, {"AB", "CD"}},
        {"\xC3\xA9\xC3\xA9", 4, 6, {"CD"}},  // positions count characters, not bytes
    };
    dialog.printSelection = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.first << " " << c.start << "-" << c.end);
        ClearTranscript(dialog);
        Append({c.first, "CD"});
        dialog.SetPaneSelection(c.start, c.end);
        Print();
        EXPECT_TRUE(dialog.printJobs[0].selectionOffered);
        EXPECT_EQ(Log(), Expected(c.printed));
        EXPECT_EQ(dialog.PaneSelectionRange().start, c.start);  // left as the user made it
    }
    // From the middle of line 70 to the start of line 131: 61 rows, paged anew.
    ClearTranscript(dialog);
    Append(Lines(0, 200));
    dialog.SetPaneSelection(dialog.PaneLineStart(70) + 2, dialog.PaneLineStart(131));
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

TEST_F(PrintTest, CancelChangesNothingAndAFailedStartIsReported) {
    Append(Lines(0, 3));
    dialog.SetPaneSelection(1, 3);
    dialog.printCancel = true;
    dialog.printJobs.clear();
    DialogCommand(session, dialog, IdPrint);
    ASSERT_EQ(dialog.printJobs.size(), 1u);
    EXPECT_TRUE(dialog.printJobs[0].selectionOffered);
    EXPECT_TRUE(dialog.printJobs[0].events.empty());
    EXPECT_EQ(std::pair(dialog.PaneSelectionRange().start, dialog.PaneSelectionRange().end),
              std::pair(1u, 3u));
    EXPECT_TRUE(dialog.boxes.empty());

    dialog.printCancel = false;
    dialog.printStartFails = true;
    Print();
    EXPECT_EQ(Log(), (std::vector<std::string>{"font Arial 49", "document Kinpath"}));
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].owner, BoxOwner::Dialog);
    EXPECT_EQ(dialog.boxes[0].text, "Could not print the results");
    EXPECT_EQ(dialog.boxes[0].caption, "Error");
}

}  // namespace
}  // namespace kinpath::testing
