// The balance report as one HTML page: its tables, and charts drawn as inline
// SVG from the same cells (the shares of races and classes, where each bar
// ends, the pairs as a race by class map). No script, nothing fetched; the
// page prints as it shows.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "authoring/BalanceReport.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

std::string Escaped(const std::string& text) {
    std::string html;
    for (const char c : VisibleControls(DisplayText(text))) {
        switch (c) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            case '"':
                html += "&quot;";
                break;
            default:
                html += c;
        }
    }
    return html;
}

double Number(const std::string& cell) {
    try {
        return std::stod(cell);
    } catch (const std::exception&) {
        return 0;  // "above 1000" and the like are not drawn
    }
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::size_t Column(const ReportTable& table, const std::string& id) {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (table.columns[c].id == id) return c;
    }
    return 0;
}

constexpr const char* Style = R"(
body { font: 14px/1.45 sans-serif; color: #1d1d1d; margin: 24px auto; max-width: 980px; padding: 0 16px; }
h1 { font-size: 22px; margin-bottom: 4px; }
h2 { font-size: 17px; margin: 28px 0 8px; border-bottom: 1px solid #bbb; }
table { border-collapse: collapse; font-size: 12px; margin: 6px 0; }
th, td { padding: 2px 8px; border-bottom: 1px solid #e2e2e2; text-align: left; vertical-align: top; }
th { background: #f2f2f2; }
.n { text-align: right; font-variant-numeric: tabular-nums; }
.note { color: #4a4a4a; font-size: 12px; max-width: 900px; }
.advice { background: #fff3d0; border-left: 4px solid #c98a00; padding: 8px 12px; margin: 12px 0; }
.charts { display: flex; flex-wrap: wrap; gap: 16px; }
svg text { font-family: sans-serif; fill: #1d1d1d; }
section, svg { break-inside: avoid; }
@media print {
  body { margin: 0; max-width: none; font-size: 11px; }
  h2 { break-after: avoid; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

void Table(const ReportTable& table, std::ostream& out) {
    out << "<table><tr>";
    for (const ReportColumn& column : table.columns)
        out << "<th" << (column.number ? " class=\"n\"" : "") << '>' << Escaped(column.title)
            << "</th>";
    out << "</tr>\n";
    for (const auto& row : table.rows) {
        out << "<tr>";
        for (std::size_t c = 0; c < row.size(); ++c)
            out << "<td" << (table.columns[c].number ? " class=\"n\"" : "") << '>'
                << Escaped(row[c]) << "</td>";
        out << "</tr>\n";
    }
    if (table.rows.empty()) out << "<tr><td>none</td></tr>\n";
    out << "</table>\n<p class=\"note\">" << Escaped(table.note) << "</p>\n";
}

// Horizontal bars: each row's share of the runs.
void ShareChart(const ReportTable& table, const char* colour, std::ostream& out) {
    const std::size_t share = Column(table, "share");
    double most = 0;
    for (const auto& row : table.rows) most = std::max(most, Number(row[share]));
    const int height = 18 * static_cast<int>(table.rows.size()) + 26;
    out << "<svg width=\"460\" height=\"" << height << "\" role=\"img\"><title>Share of runs by "
        << Escaped(table.columns[0].title) << "</title>\n<text x=\"0\" y=\"14\" "
        << "font-size=\"13\" font-weight=\"bold\">" << Escaped(table.title)
        << " (% of runs)</text>\n";
    int y = 24;
    for (const auto& row : table.rows) {
        const double width = most > 0 ? 280 * Number(row[share]) / most : 0;
        out << "<text x=\"108\" y=\"" << y + 12 << "\" font-size=\"11\" text-anchor=\"end\">"
            << Escaped(row[0]) << "</text><rect x=\"114\" y=\"" << y + 2 << "\" width=\""
            << Fixed(width) << "\" height=\"13\" fill=\"" << colour << "\"/><text x=\""
            << Fixed(118 + width) << "\" y=\"" << y + 12 << "\" font-size=\"11\">"
            << Escaped(row[share]) << "</text>\n";
        y += 18;
    }
    out << "</svg>\n";
}

// One small histogram per bar, in the ranges of the table's columns.
void BarCharts(const ReportTable& table, std::ostream& out) {
    out << "<div class=\"charts\">\n";
    for (const auto& row : table.rows) {
        double most = 0;
        for (std::size_t c = 1; c < row.size(); ++c) most = std::max(most, Number(row[c]));
        out << "<svg width=\"150\" height=\"86\" role=\"img\"><title>" << Escaped(row[0])
            << ": runs by the points its bar ends at</title><text x=\"0\" y=\"12\" "
            << "font-size=\"11\" font-weight=\"bold\">" << Escaped(row[0]) << "</text>\n";
        for (std::size_t c = 1; c < row.size(); ++c) {
            const double h = most > 0 ? 52 * Number(row[c]) / most : 0;
            const bool end = c == 1 || c + 1 == row.size();
            out << "<rect x=\"" << 2 + 12 * (c - 1) << "\" y=\"" << Fixed(70 - h)
                << "\" width=\"11\" "
                << "height=\"" << Fixed(h) << "\" fill=\"" << (end ? "#9a9a9a" : "#3b6ea5")
                << "\"><title>" << Escaped(table.columns[c].title) << ": " << Escaped(row[c])
                << "</title></rect>\n";
        }
        out << "<text x=\"2\" y=\"82\" font-size=\"9\">&lt;0</text><text x=\"74\" y=\"82\" "
            << "font-size=\"9\">50</text><text x=\"124\" y=\"82\" font-size=\"9\">100+</text>"
            << "</svg>\n";
    }
    out << "</div>\n";
}

// Races down, classes across: how often each pair is recommended; pairs the
// game does not allow are struck through.
void PairMap(const ReportTable& pairs, std::ostream& out) {
    const std::size_t count = Column(pairs, "recommended");
    double most = 0;
    for (const auto& row : pairs.rows) most = std::max(most, Number(row[count]));
    const auto runs = [&](const std::string& race, const std::string& cls) {
        for (const auto& row : pairs.rows)
            if (row[0] == race && row[1] == cls) return row[count];
        return std::string("0");
    };
    // "Unknown" only where a run named it.
    const bool unknown = std::any_of(pairs.rows.begin(), pairs.rows.end(), [](const auto& row) {
        return row[0] == BalanceRaceName(UnknownRace);
    });
    const int races = RaceRowCount + unknown, classes = ClassRowCount + unknown;
    constexpr int left = 96, top = 92, w = 44, h = 20;
    out << "<svg width=\"" << left + w * classes + 4 << "\" height=\"" << top + h * races + 4
        << "\" role=\"img\"><title>Pairs recommended, races "
        << "by classes</title>\n";
    for (int c = 0; c < classes; ++c) {
        const int x = left + w * c + w / 2;
        out << "<text transform=\"translate(" << x << ',' << top - 6 << ") rotate(-50)\" "
            << "font-size=\"11\">" << Escaped(BalanceClassName(c)) << "</text>\n";
    }
    for (int r = 0; r < races; ++r) {
        const int y = top + h * r;
        out << "<text x=\"" << left - 6 << "\" y=\"" << y + 14 << "\" font-size=\"11\" "
            << "text-anchor=\"end\">" << Escaped(BalanceRaceName(r)) << "</text>\n";
        for (int c = 0; c < classes; ++c) {
            const std::string n = runs(BalanceRaceName(r), BalanceClassName(c));
            const bool allowed = r < RaceRowCount && c < ClassRowCount &&
                                 FindPartner(BalanceClassName(c), InitialRaceTable[std::size_t(r)]);
            const double share = most > 0 ? Number(n) / most : 0;
            out << "<g><title>" << Escaped(BalanceRaceName(r)) << " / "
                << Escaped(BalanceClassName(c)) << ": " << n << "</title><rect x=\"" << left + w * c
                << "\" y=\"" << y << "\" width=\"" << w - 1 << "\" height=\"" << h - 1
                << "\" fill=\"" << (allowed || n != "0" ? "#b5562b" : "#f4f4f4")
                << "\" fill-opacity=\"" << (allowed || n != "0" ? Fixed(0.06 + 0.94 * share) : "1")
                << "\"/>";
            if (n != "0") {
                out << "<text x=\"" << left + w * c + w / 2 << "\" y=\"" << y + 14
                    << "\" font-size=\"10\" text-anchor=\"middle\""
                    << (share > 0.55 ? " fill=\"#fff\"" : "") << '>' << n << "</text>";
            } else if (!allowed) {
                out << "<line x1=\"" << left + w * c + 6 << "\" y1=\"" << y + h / 2 << "\" x2=\""
                    << left + w * c + w - 7 << "\" y2=\"" << y + h / 2 << "\" stroke=\"#c8c8c8\"/>";
            }
            out << "</g>\n";
        }
    }
    out << "</svg>\n<p class=\"note\">Runs that ended with each race and class: the darker, "
        << "the more; a dash marks a pair the game does not allow.</p>\n";
}

}  // namespace

void WriteReportHtml(const BalanceReport& report, std::ostream& out) {
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>Balance of " << Escaped(report.script) << "</title>\n<style>" << Style
        << "</style>\n</head>\n<body>\n<h1>Balance of " << Escaped(report.script) << "</h1>\n"
        << "<table>\n";
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script")
            out << "<tr><th>" << Escaped(fact.title) << "</th><td"
                << (fact.number ? " class=\"n\"" : "") << '>' << Escaped(fact.value)
                << "</td></tr>\n";
    }
    out << "</table>\n";
    for (const std::string& advice : report.advice)
        out << "<p class=\"advice\">" << Escaped(advice) << "</p>\n";
    const ReportTable* races = report.Table("races");
    const ReportTable* classes = report.Table("classes");
    if (races != nullptr && classes != nullptr) {
        out << "<section>\n<h2>Recommended</h2>\n<div class=\"charts\">\n";
        ShareChart(*races, "#3b6ea5", out);
        ShareChart(*classes, "#b5562b", out);
        out << "</div>\n</section>\n";
    }
    for (const ReportTable& table : report.tables) {
        out << "<section>\n<h2>" << Escaped(table.title) << "</h2>\n";
        if (table.id == "pairs") PairMap(table, out);
        if (table.id == "bar_totals") BarCharts(table, out);
        Table(table, out);
        out << "</section>\n";
    }
    out << "</body>\n</html>\n";
}

}  // namespace kinpath
