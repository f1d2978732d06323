// The balance report as text for a terminal and as CSV for spreadsheets: the
// same cells in each.
#include <algorithm>
#include <ostream>
#include <string_view>

#include "authoring/balance/BalanceReport.h"
#include "text/TextCodec.h"

namespace kinpath {

namespace {

constexpr std::size_t TextWidth = 100;

// Words wrapped to the width, after `first` on the first line and `indent`
// on the others.
void Wrapped(const std::string& text, const std::string& first, const std::string& indent,
             std::ostream& out) {
    out << first;
    std::size_t column = first.size();
    bool lineStart = true;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::size_t length = Utf8Length(word);
        if (!lineStart && column + 1 + length > TextWidth) {
            out << '\n' << indent;
            column = indent.size();
        } else if (!lineStart) {
            out << ' ';
            ++column;
        }
        out << word;
        column += length;
        lineStart = false;
        start = end + 1;
    }
    out << '\n';
}

void TextTable(const ReportTable& table, std::ostream& out) {
    out << '\n' << table.title << ":\n";
    if (table.rows.empty()) {
        out << "  none\n";
        return;
    }
    std::vector<std::vector<std::string>> lines(1);
    for (const ReportColumn& column : table.columns) lines[0].push_back(column.title);
    for (const auto& row : table.rows) {
        auto& cells = lines.emplace_back();
        for (const ReportCell& cell : row) cells.push_back(cell.Text());
    }
    std::vector<std::size_t> widths(table.columns.size());
    for (const auto& cells : lines) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], Utf8Length(cells[c]));
    }
    for (const auto& cells : lines) {
        std::string text = " ";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string pad(widths[c] - Utf8Length(cells[c]), ' ');
            const bool last = c + 1 == cells.size();
            text +=
                table.columns[c].number ? " " + pad + cells[c] : " " + cells[c] + (last ? "" : pad);
            text += ' ';
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    }
    if (!table.note.empty()) Wrapped(table.note, "  ", "  ", out);
}

// A text a spreadsheet would take for a formula (a choice "=HYPERLINK(...)" in
// someone else's script) is written with a leading apostrophe; numbers stay numbers.
std::string CsvField(std::string text, bool number) {
    if (!number && !text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        text.insert(0, 1, '\'');
    }
    const bool padded = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    if (text.find_first_of(",\"\n\r") == std::string::npos && !padded) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvField(const ReportCell& cell) { return CsvField(cell.Text(), cell.IsNumber()); }

}  // namespace

void WriteReportText(const BalanceReport& report, std::ostream& out) {
    out << "Balance of " << report.script << '\n';
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script") Wrapped(fact.title + ": " + fact.value.Text(), "  ", "    ", out);
    }
    for (const ReportTable& table : report.tables) TextTable(table, out);
    for (const std::string& advice : report.advice) {
        out << '\n';
        Wrapped("Advice: " + advice, "", "  ", out);
    }
}

void WriteReportCsv(const BalanceReport& report, std::ostream& out) {
    out << "facts\r\nid,title,value\r\n";
    for (const ReportFact& fact : report.facts) {
        out << fact.id << ',' << CsvField(fact.title, false) << ',' << CsvField(fact.value)
            << "\r\n";
    }
    for (const ReportTable& table : report.tables) {
        out << "\r\n" << table.id << "\r\n";
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            out << (c > 0 ? "," : "") << table.columns[c].id;
        out << "\r\n";
        for (const auto& row : table.rows) {
            for (std::size_t c = 0; c < row.size(); ++c)
                out << (c > 0 ? "," : "") << CsvField(row[c]);
            out << "\r\n";
        }
    }
    out << "\r\nadvice\r\ntext\r\n";
    for (const std::string& advice : report.advice) out << CsvField(advice, false) << "\r\n";
}

}  // namespace kinpath
