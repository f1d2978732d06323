#include <cmath>
#include <tuple>
#include <utility>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/Transcript.h"
#include "app/PrintTranscript.h"

namespace kinpath::testing {
namespace {

using Kind = PrintEvent::Kind;

auto Fields(const PageGeometry& g) { return std::tuple(g.width, g.height, g.top, g.left, g.bottom, g.lineHeight); }

TEST(PageGeometryTest, WorkedValues) {
    const std::pair<int, PageGeometry> rows[] = {
        {72, {612, 792, 39, 30, 752, 11}},
        {96, {816, 1056, 52, 40, 1003, 15}},
        {300, {2550, 3300, 165, 127, 3134, 49}},
        {600, {5100, 6600, 330, 255, 6269, 98}},
        {1200, {10200, 13200, 660, 510, 12539, 197}},
    };
    for (const auto& [dpi, expected] : rows) EXPECT_EQ(Fields(ComputePageGeometry(dpi, dpi)), Fields(expected)) << dpi;
    // Width follows the horizontal resolution alone, height the vertical one.
    EXPECT_EQ(Fields(ComputePageGeometry(75, 600)), Fields({637, 6600, 330, 31, 6269, 98}));
}

TEST(PageGeometryTest, MatchesTheSinglePrecisionMarginEverywhere) {
    // The margin factor is 0.05 held in single precision, slightly above 0.05.
    const double m = static_cast<double>(0.05f);
    for (int dpi = 1; dpi <= 27000; ++dpi) {
        PageGeometry g = ComputePageGeometry(dpi, dpi);
        double width = std::trunc(dpi * 8.5);
        double height = dpi * 11.0;
        ASSERT_EQ(g.width, static_cast<int>(width)) << dpi;
        ASSERT_EQ(g.top, static_cast<int>(std::trunc(height * m))) << dpi;
        ASSERT_EQ(g.left, static_cast<int>(std::trunc(width * m))) << dpi;
        ASSERT_EQ(g.bottom, static_cast<int>(std::trunc(height - height * m))) << dpi;
    }
}

class PrintTest : public ProgramTest {
protected:
    void Lines(int count) {
        for (int i = 0; i < count; ++i) AppendTranscriptLine(dialog, ("line " + std::to_string(i)).c_str());
    }
    const PrintLog& Job() {
        EXPECT_EQ(dialog.printJobs.size(), 1u);
        return dialog.printJobs.back();
    }
    std::vector<Kind> Kinds() {
        std::vector<Kind> kinds;
        for (const PrintEvent& e : Job().events) kinds.push_back(e.kind);
        return kinds;
    }
    // Drawn texts with their (page number from 1, y).
    struct Drawn {
        int page;
        int y;
        std::string text;
        friend bool operator==(const Drawn&, const Drawn&) = default;
    };
    std::vector<Drawn> DrawnTexts() {
        std::vector<Drawn> drawn;
        int page = 0;
        for (const PrintEvent& e : Job().events) {
            if (e.kind == Kind::StartPage) ++page;
            if (e.kind == Kind::DrawText) drawn.push_back({page, e.y, e.text});
        }
        return drawn;
    }
    int Pages() {
        int pages = 0;
        for (const PrintEvent& e : Job().events) pages += e.kind == Kind::StartPage;
        return pages;
    }

    HeadlessDialog dialog;
};

TEST_F(PrintTest, SixtyLinesFillOnePage) {
    Lines(59);  // plus the empty line behind the last break: 60 displayed lines
    PrintTranscript(dialog);
    const PrintLog& job = Job();
    EXPECT_FALSE(job.selectionOffered);
    EXPECT_TRUE(job.released);
    ASSERT_GE(job.events.size(), 2u);
    EXPECT_EQ(job.events[0].kind, Kind::SetFont);
    EXPECT_EQ(job.events[0].text, "Arial");
    EXPECT_EQ(job.events[0].x, 49);
    EXPECT_EQ(job.events[1].kind, Kind::StartDocument);
    EXPECT_EQ(job.events[1].text, "Kinpath");
    EXPECT_EQ(job.events.back().kind, Kind::EndDocument);
    EXPECT_EQ(Pages(), 1);

    auto drawn = DrawnTexts();
    ASSERT_EQ(drawn.size(), 60u);
    for (int i = 0; i < 59; ++i) {
        EXPECT_EQ(drawn[i], (Drawn{1, 165 + i * 49, "line " + std::to_string(i)}));
    }
    EXPECT_EQ(drawn[59], (Drawn{1, 165 + 59 * 49, " "}));
    for (const PrintEvent& e : job.events) {
        if (e.kind == Kind::DrawText) {
            EXPECT_EQ(e.x, 127);
        }
    }
    // Printing everything leaves the whole text selected.
    EXPECT_EQ(dialog.PaneSelectionRange().start, 0u);
    EXPECT_EQ(dialog.PaneSelectionRange().end, dialog.PaneLength());
}

TEST_F(PrintTest, SixtyFirstLineStartsASecondPage) {
    Lines(60);
    dialog.printDpiX = dialog.printDpiY = 600;
    PrintTranscript(dialog);
    std::vector<Kind> expected = {Kind::SetFont, Kind::StartDocument, Kind::StartPage};
    expected.insert(expected.end(), 60, Kind::DrawText);
    expected.insert(expected.end(), {Kind::EndPage, Kind::StartPage, Kind::DrawText,
                                     Kind::EndPage, Kind::EndDocument});
    EXPECT_EQ(Kinds(), expected);
    auto drawn = DrawnTexts();
    EXPECT_EQ(drawn[1], (Drawn{1, 330 + 98, "line 1"}));
    EXPECT_EQ(drawn.back(), (Drawn{2, 330, " "}));
    EXPECT_EQ(Job().events.back().kind, Kind::EndDocument);
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
        dialog.printJobs.clear();
        ClearTranscript(dialog);
        AppendTranscriptLine(dialog, c.first);
        AppendTranscriptLine(dialog, "CD");
        dialog.SetPaneSelection(c.start, c.end);
        PrintTranscript(dialog);
        EXPECT_TRUE(Job().selectionOffered);
        std::vector<std::string> printed;
        for (const Drawn& d : DrawnTexts()) printed.push_back(d.text);
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(DrawnTexts().front().y, 165);
        EXPECT_EQ(Pages(), 1);
        // The selection is left as the user made it.
        EXPECT_EQ(dialog.PaneSelectionRange().start, c.start);
    }
}

TEST_F(PrintTest, SelectionStartsOnTheFirstRowAndPagesByPrintedLines) {
    Lines(200);
    dialog.printSelection = true;
    // From the middle of line 70 to the start of line 131: 61 lines.
    dialog.SetPaneSelection(dialog.PaneLineStart(70) + 2, dialog.PaneLineStart(131));
    PrintTranscript(dialog);
    auto drawn = DrawnTexts();
    ASSERT_EQ(drawn.size(), 61u);
    EXPECT_EQ(drawn.front(), (Drawn{1, 165, "line 70"}));
    EXPECT_EQ(drawn[59], (Drawn{1, 165 + 59 * 49, "line 129"}));
    EXPECT_EQ(drawn.back(), (Drawn{2, 165, "line 130"}));
    EXPECT_EQ(Pages(), 2);
}

TEST_F(PrintTest, PageRangeSendsOnlyItsPages) {
    Lines(130);  // 131 displayed lines: pages of 60, 60 and 11
    dialog.printFirstPage = dialog.printLastPage = 2;
    PrintTranscript(dialog);
    auto drawn = DrawnTexts();
    EXPECT_EQ(Pages(), 1);
    ASSERT_EQ(drawn.size(), 60u);
    EXPECT_EQ(drawn.front(), (Drawn{1, 165, "line 60"}));
    EXPECT_EQ(drawn.back().text, "line 119");

    dialog.printJobs.clear();
    dialog.printFirstPage = 3;
    dialog.printLastPage = 9;
    PrintTranscript(dialog);
    EXPECT_EQ(Pages(), 1);
    EXPECT_EQ(DrawnTexts().size(), 11u);
    EXPECT_EQ(DrawnTexts().back().text, " ");

    // A range past the end feeds no page and starts no document.
    dialog.printJobs.clear();
    dialog.printFirstPage = 4;
    dialog.printLastPage = 5;
    PrintTranscript(dialog);
    for (const PrintEvent& e : Job().events) EXPECT_EQ(e.kind, Kind::SetFont);
    EXPECT_TRUE(Job().released);
}

TEST_F(PrintTest, CancelChangesNothing) {
    Lines(3);
    dialog.SetPaneSelection(1, 3);
    dialog.printCancel = true;
    PrintTranscript(dialog);
    EXPECT_TRUE(Job().selectionOffered);
    EXPECT_TRUE(Job().events.empty());
    EXPECT_EQ(dialog.PaneSelectionRange().start, 1u);
    EXPECT_EQ(dialog.PaneSelectionRange().end, 3u);
    EXPECT_TRUE(dialog.boxes.empty());
}

TEST_F(PrintTest, FailedStartIsReported) {
    Lines(3);
    dialog.printStartFails = true;
    PrintTranscript(dialog);
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::SetFont, Kind::StartDocument}));
    EXPECT_TRUE(Job().released);
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].owner, BoxOwner::Dialog);
    EXPECT_EQ(dialog.boxes[0].text, "Could not print the results");
    EXPECT_EQ(dialog.boxes[0].caption, "Error");
}

TEST_F(PrintTest, LongLinePrintsItsFirst255Characters) {
    AppendTranscriptLine(dialog, std::string(300, 'x').c_str());
    PrintTranscript(dialog);
    ASSERT_EQ(DrawnTexts().size(), 2u);
    EXPECT_EQ(DrawnTexts()[0].text, std::string(255, 'x'));
}

}  // namespace
}  // namespace kinpath::testing
