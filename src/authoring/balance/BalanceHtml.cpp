// The balance report as one HTML page: its tables, and charts drawn as inline
// SVG from the report's chart data (the shares of races and classes, where
// each bar ends, the pairs as a race by class map). No script, nothing
// fetched; the page fits a phone's screen and prints as it shows.
#include <algorithm>
#include <ostream>

#include "authoring/balance/BalanceReport.h"
#include "scoring/RowNames.h"
#include "text/HtmlText.h"

namespace kinpath {

namespace {

// A length in the charts' own units, to one decimal.
std::string Length(double value) { return NumberText(ToDecimal(value, 1)); }

constexpr const char* Style = R"(
body { font: 14px/1.45 sans-serif; color: #1d1d1d; margin: 24px auto; max-width: 980px; padding: 0 16px; }
h1 { font-size: 22px; margin-bottom: 4px; overflow-wrap: anywhere; }
h2 { font-size: 17px; margin: 28px 0 2px; border-bottom: 1px solid #bbb; }
.summary { margin: 4px 0 8px; }
table { border-collapse: collapse; font-size: 12px; margin: 6px 0; }
th, td { padding: 2px 8px; border-bottom: 1px solid #e2e2e2; text-align: left; vertical-align: top; }
th { background: #f2f2f2; }
.n { text-align: right; font-variant-numeric: tabular-nums; }
.note { color: #4a4a4a; font-size: 12px; max-width: 900px; }
.advice { background: #fff3d0; border-left: 4px solid #c98a00; padding: 8px 12px; margin: 12px 0; }
.charts { display: flex; flex-wrap: wrap; gap: 16px; align-items: flex-start; }
.wide { overflow-x: auto; max-width: 100%; }
svg { max-width: 100%; height: auto; }
.wide svg { max-width: none; }
svg text { font-family: sans-serif; fill: #1d1d1d; }
section, svg { break-inside: avoid; }
@media (max-width: 600px) {
  body { margin: 12px auto; padding: 0 10px; }
  th, td { padding: 2px 4px; }
  .charts { gap: 8px; }
}
@media print {
  body { margin: 0; max-width: none; font-size: 11px; }
  h2 { break-after: avoid; }
  .wide { overflow: visible; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

// An <svg> that keeps its proportions when the screen is narrower than it.
void SvgStart(int width, int height, const std::string& title, std::ostream& out) {
    out << "<svg width=\"" << width << "\" height=\"" << height << "\" viewBox=\"0 0 " << width
        << ' ' << height << "\" role=\"img\"><title>" << HtmlEscaped(title) << "</title>\n";
}

void Table(const ReportTable& table, std::ostream& out) {
    out << "<div class=\"wide\"><table><tr>";
    for (const ReportColumn& column : table.columns)
        out << "<th" << (column.number ? " class=\"n\"" : "") << '>' << HtmlEscaped(column.title)
            << "</th>";
    out << "</tr>\n";
    for (const auto& row : table.rows) {
        out << "<tr>";
        for (std::size_t c = 0; c < row.size(); ++c)
            out << "<td" << (table.columns[c].number ? " class=\"n\"" : "") << '>'
                << HtmlEscaped(row[c].Text()) << "</td>";
        out << "</tr>\n";
    }
    if (table.rows.empty()) out << "<tr><td>none</td></tr>\n";
    out << "</table></div>\n<p class=\"note\">" << HtmlEscaped(table.note) << "</p>\n";
}

// Horizontal bars: each row's share of the runs.
void ShareChart(const std::vector<ShareBar>& bars, const std::string& title, const char* colour,
                std::ostream& out) {
    double most = 0;
    for (const ShareBar& bar : bars) most = std::max(most, DecimalValue(bar.share));
    SvgStart(360, 18 * static_cast<int>(bars.size()) + 26, "Share of runs: " + title, out);
    out << "<text x=\"0\" y=\"14\" font-size=\"13\" font-weight=\"bold\">" << HtmlEscaped(title)
        << " (% of runs)</text>\n";
    int y = 24;
    for (const ShareBar& bar : bars) {
        const double width = most > 0 ? 190 * DecimalValue(bar.share) / most : 0;
        out << "<text x=\"108\" y=\"" << y + 12 << "\" font-size=\"11\" text-anchor=\"end\">"
            << HtmlEscaped(bar.name) << "</text><rect x=\"114\" y=\"" << y + 2 << "\" width=\""
            << Length(width) << "\" height=\"13\" fill=\"" << colour << "\"/><text x=\""
            << Length(118 + width) << "\" y=\"" << y + 12 << "\" font-size=\"11\">"
            << NumberText(bar.share) << "</text>\n";
        y += 18;
    }
    out << "</svg>\n";
}

// One small histogram per bar, in the ranges of EndCounts.
void EndCharts(const ReportCharts& charts, std::ostream& out) {
    out << "<div class=\"charts\">\n";
    for (const auto& [name, ends] : charts.ends) {
        const std::uint64_t most = *std::max_element(ends.begin(), ends.end());
        SvgStart(150, 86, name + ": runs by the points its bar ends at", out);
        out << "<text x=\"0\" y=\"12\" font-size=\"11\" font-weight=\"bold\">" << HtmlEscaped(name)
            << "</text>\n";
        for (std::size_t bin = 0; bin < ends.size(); ++bin) {
            const double h = most > 0 ? 52 * double(ends[bin]) / double(most) : 0;
            const bool edge = bin == 0 || bin + 1 == ends.size();
            out << "<rect x=\"" << 2 + 12 * bin << "\" y=\"" << Length(70 - h)
                << "\" width=\"11\" height=\"" << Length(h) << "\" fill=\""
                << (edge ? "#9a9a9a" : "#3b6ea5") << "\"><title>"
                << HtmlEscaped(charts.endTitles[bin]) << ": " << NumberText(ends[bin])
                << "</title></rect>\n";
        }
        out << "<text x=\"2\" y=\"82\" font-size=\"9\">" << HtmlEscaped(charts.endTitles.front())
            << "</text><text x=\"74\" y=\"82\" font-size=\"9\">50</text><text x=\"124\" y=\"82\" "
            << "font-size=\"9\">" << HtmlEscaped(charts.endTitles.back()) << "</text></svg>\n";
    }
    out << "</div>\n";
}

// Races down, classes across: how often each pair is recommended; pairs the
// game does not allow are struck through.
void PairMap(const BalanceReport& report, std::ostream& out) {
    const ReportCharts& charts = report.charts;
    std::uint64_t most = 0;
    for (const auto& row : charts.pairRuns)
        most = std::max(most, *std::max_element(row.begin(), row.end()));
    const int races = int(charts.pairRaces.size()), classes = int(charts.pairClasses.size());
    constexpr int left = 96, top = 92, w = 44, h = 20;
    out << "<div class=\"wide\">";
    SvgStart(left + w * classes + 4, top + h * races + 4,
             "Pairs recommended, " + PluralOf(report.words[0]) + " by " + PluralOf(report.words[1]),
             out);
    for (int c = 0; c < classes; ++c) {
        out << "<text transform=\"translate(" << left + w * c + w / 2 << ',' << top - 6
            << ") rotate(-50)\" font-size=\"11\">"
            << HtmlEscaped(charts.pairClasses[std::size_t(c)]) << "</text>\n";
    }
    for (int r = 0; r < races; ++r) {
        const int y = top + h * r;
        const std::string race = HtmlEscaped(charts.pairRaces[std::size_t(r)]);
        out << "<text x=\"" << left - 6 << "\" y=\"" << y + 14 << "\" font-size=\"11\" "
            << "text-anchor=\"end\">" << race << "</text>\n";
        for (int c = 0; c < classes; ++c) {
            const std::uint64_t n = charts.pairRuns[std::size_t(r)][std::size_t(c)];
            const bool allowed = charts.pairAllowed[std::size_t(r)][std::size_t(c)];
            const double share = most > 0 ? double(n) / double(most) : 0;
            const int x = left + w * c;
            out << "<g><title>" << race << " / " << HtmlEscaped(charts.pairClasses[std::size_t(c)])
                << ": " << NumberText(n) << "</title><rect x=\"" << x << "\" y=\"" << y
                << "\" width=\"" << w - 1 << "\" height=\"" << h - 1 << "\" fill=\""
                << (allowed || n > 0 ? "#b5562b" : "#f4f4f4") << "\" fill-opacity=\""
                << (allowed || n > 0 ? Length(0.06 + 0.94 * share) : "1") << "\"/>";
            if (n > 0) {
                out << "<text x=\"" << x + w / 2 << "\" y=\"" << y + 14
                    << "\" font-size=\"10\" text-anchor=\"middle\""
                    << (share > 0.55 ? " fill=\"#fff\"" : "") << '>' << NumberText(n) << "</text>";
            } else if (!allowed) {
                out << "<line x1=\"" << x + 6 << "\" y1=\"" << y + h / 2 << "\" x2=\"" << x + w - 7
                    << "\" y2=\"" << y + h / 2 << "\" stroke=\"#c8c8c8\"/>";
            }
            out << "</g>\n";
        }
    }
    out << "</svg></div>\n<p class=\"note\">Runs that ended with each "
        << HtmlEscaped(report.words[0] + " and " + report.words[1]) << ": the darker, "
        << "the more; a dash marks a pair the game does not allow.</p>\n";
}

void Heading(const std::string& heading, const std::string& summary, std::ostream& out) {
    out << "<h2>" << HtmlEscaped(heading) << "</h2>\n<p class=\"summary\">" << HtmlEscaped(summary)
        << "</p>\n";
}

}  // namespace

void WriteReportHtml(const BalanceReport& report, std::ostream& out) {
    const std::string script = HtmlEscaped(report.script);
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>Balance of " << script << "</title>\n<style>" << Style
        << "</style>\n</head>\n<body>\n<h1>Balance of " << script << "</h1>\n"
        << "<table>\n";
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script")
            out << "<tr><th>" << HtmlEscaped(fact.title) << "</th><td"
                << (fact.value.IsNumber() ? " class=\"n\"" : "") << '>'
                << HtmlEscaped(fact.value.Text()) << "</td></tr>\n";
    }
    out << "</table>\n";
    for (const std::string& advice : report.advice)
        out << "<p class=\"advice\">" << HtmlEscaped(advice) << "</p>\n";
    const ReportCharts& charts = report.charts;
    if (!charts.races.empty()) {
        // A game of one table has no classes.
        const bool one = charts.classes.empty();
        const std::string& race = report.words[0];
        const std::string& cls = report.words[1];
        out << "<section>\n";
        Heading("Share of runs recommending each " + (one ? race : race + " and " + cls),
                "The longer the bar, the more often the runs end with that " +
                    (one ? race : race + " or " + cls) + ".",
                out);
        out << "<div class=\"charts\">\n";
        ShareChart(charts.races, Capitalised(PluralOf(race)), "#3b6ea5", out);
        if (!one) ShareChart(charts.classes, Capitalised(PluralOf(cls)), "#b5562b", out);
        out << "</div>\n</section>\n";
    }
    for (const ReportTable& table : report.tables) {
        out << "<section>\n";
        Heading(table.heading, table.summary, out);
        if (table.id == "pairs") PairMap(report, out);
        if (table.id == "bar_totals") EndCharts(charts, out);
        Table(table, out);
        out << "</section>\n";
    }
    out << "</body>\n</html>\n";
}

}  // namespace kinpath
