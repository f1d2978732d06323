#include "app/PrintTranscript.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "text/TextCodec.h"
#include "window/View.h"

namespace kinpath {

namespace {

constexpr const char* PrintFontFace = "Arial";
constexpr const char* PrintDocumentName = "Kinpath";

// A pane line as printed: an empty line still occupies its row with a space, and
// a control character is drawn as U+FFFD, never sent raw to the printer.
std::string PrintedText(const PaneLine& line) {
    return line.text.empty() ? " " : ReplaceHiddenControls(line.text);
}

// Every displayed line, in order. Lines are still tested against the running
// position so the whole print and a whole-text selection print the same rows.
std::vector<std::string> AllLines(const std::vector<PaneLine>& pane, PaneSelection selection) {
    std::vector<std::string> lines;
    std::uint32_t position = 0;
    for (const PaneLine& line : pane) {
        position += static_cast<std::uint32_t>(Utf8Length(line.text));
        std::string text = PrintedText(line);
        std::uint32_t length = static_cast<std::uint32_t>(Utf8Length(text));
        if (position >= selection.start && position <= selection.end + length) {
            lines.push_back(std::move(text));
        }
    }
    return lines;
}

// The displayed lines the selection [start, end) touches. A line reaches from
// its first character to the next line's first character (its line break
// included); the last one to the end of the text.
std::vector<std::string> SelectedLines(const Screen& screen, PaneSelection selection) {
    std::vector<std::string> lines;
    if (selection.end <= selection.start) return lines;
    const std::vector<PaneLine>& pane = screen.paneLines;
    for (std::size_t i = 0; i < pane.size(); ++i) {
        std::uint32_t from = pane[i].start;
        std::uint32_t to = i + 1 < pane.size() ? pane[i + 1].start : WholePane(screen).end;
        if (from >= selection.end) break;
        if (to > selection.start && to > from) {
            lines.push_back(PrintedText(pane[i]));
        }
    }
    return lines;
}

// Draws the pages firstPage to lastPage (1-based) of the lines; false as soon as
// the printer fails, which abandons the job.
bool PrintPages(PrintSurface& surface, const PageGeometry& page,
                const std::vector<std::string>& lines, int firstPage, int lastPage) {
    if (!surface.StartDocument(PrintDocumentName)) return false;
    for (int pageNumber = firstPage; pageNumber <= lastPage; ++pageNumber) {
        if (!surface.StartPage()) return false;
        std::size_t begin = static_cast<std::size_t>(pageNumber - 1) * PrintRowsPerPage;
        std::size_t end = std::min(lines.size(), begin + PrintRowsPerPage);
        for (std::size_t k = begin; k < end; ++k) {
            int row = static_cast<int>(k - begin);
            surface.DrawText(page.left, page.top + row * page.lineHeight, lines[k]);
        }
        if (!surface.EndPage()) return false;
    }
    return surface.EndDocument();
}

}  // namespace

PageGeometry ComputePageGeometry(int dotsPerInchX, int dotsPerInchY) {
    // Integer forms of 8.5 x 11 inches with a margin factor of single-precision
    // 0.05, which lies just above 0.05: the bottom edge is one pixel short of
    // 95 % whenever 95 % is a whole number.
    long long x = std::max(dotsPerInchX, 0);
    long long y = std::max(dotsPerInchY, 0);
    long long width = x * 17 / 2;
    long long height = y * 11;
    long long top = height / 20;
    long long left = width / 20;
    long long bottom = height > 0 ? (19 * height - 1) / 20 : 0;
    PageGeometry g{};
    g.width = static_cast<int>(std::min<long long>(width, INT_MAX));
    g.height = static_cast<int>(std::min<long long>(height, INT_MAX));
    g.top = static_cast<int>(std::min<long long>(top, INT_MAX));
    g.left = static_cast<int>(std::min<long long>(left, INT_MAX));
    g.bottom = static_cast<int>(std::min<long long>(bottom, INT_MAX));
    // Absurd resolutions are held to a line height whose last row still has a
    // representable position.
    g.lineHeight = static_cast<int>(std::min<long long>((bottom - top) / PrintRowsPerPage,
                                                        (INT_MAX - g.top) / PrintRowsPerPage));
    return g;
}

PaneSelection WholePane(const Screen& screen) {
    return {0, static_cast<std::uint32_t>(Utf8Length(screen.pane))};
}

std::optional<Box> PrintTranscript(std::unique_ptr<PrintSurface> surface, Screen& screen,
                                   View& view) {
    if (!surface) return std::nullopt;

    bool selectionOnly = surface->SelectionOnly();
    if (!selectionOnly) {
        screen.selection = WholePane(screen);
        view.DrawSelection(screen.selection);
    }
    PaneSelection selection = screen.selection;

    PageGeometry page = ComputePageGeometry(surface->DotsPerInchX(), surface->DotsPerInchY());
    surface->SetFont(PrintFontFace, std::max(page.lineHeight, 1));

    std::vector<std::string> lines =
        selectionOnly ? SelectedLines(screen, selection) : AllLines(screen.paneLines, selection);

    // Pages are numbered as the whole print would number them; a range keeps
    // only its own pages away from the others.
    const int pageCount =
        static_cast<int>((lines.size() + PrintRowsPerPage - 1) / PrintRowsPerPage);
    const int firstPage = surface->FirstPage() > 0 ? surface->FirstPage() : 1;
    const int lastPage =
        surface->LastPage() > 0 ? std::min(surface->LastPage(), pageCount) : pageCount;
    if (firstPage > lastPage) return std::nullopt;  // nothing to print: no empty job either

    if (!PrintPages(*surface, page, lines, firstPage, lastPage)) {
        return Box{BoxOwner::Dialog, "Could not print the results", "Error", BoxButtons::Ok};
    }
    return std::nullopt;
}

}  // namespace kinpath
