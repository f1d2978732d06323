// The balance report as text for a terminal, as CSV for spreadsheets and as
// JSON for scripts: the same cells in each.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string_view>

#include "authoring/BalanceReport.h"
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
    std::vector<std::size_t> widths;
    for (const ReportColumn& column : table.columns) widths.push_back(Utf8Length(column.title));
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], Utf8Length(row[c]));
    }
    const auto line = [&](const std::vector<std::string>& cells) {
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
    };
    std::vector<std::string> titles;
    for (const ReportColumn& column : table.columns) titles.push_back(column.title);
    line(titles);
    for (const auto& row : table.rows) line(row);
    if (!table.note.empty()) Wrapped(table.note, "  ", "  ", out);
}

// A text a spreadsheet would take for a formula (a choice "=HYPERLINK(...)" in
// someone else's script) is written with a leading apostrophe; numbers stay numbers.
bool LooksLikeFormula(const std::string& cell) {
    if (cell.empty() || std::string_view("=+-@\t\r").find(cell.front()) == std::string_view::npos) {
        return false;
    }
    return cell.front() != '-' || cell.find_first_not_of("-0123456789.") != std::string::npos;
}

std::string CsvCell(const std::string& text) {
    const std::string cell = LooksLikeFormula(text) ? "'" + text : text;
    const bool padded = !cell.empty() && (cell.front() == ' ' || cell.back() == ' ');
    if (cell.find_first_of(",\"\n\r") == std::string::npos && !padded) return cell;
    std::string quoted = "\"";
    for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : DisplayText(text)) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

// A number cell as JSON gives it: the number itself when it is one ("above
// 1000" is not).
std::string JsonValue(const std::string& cell, bool number) {
    const bool plain =
        number && !cell.empty() && cell.find_first_not_of("-+.e0123456789") == std::string::npos;
    return plain ? cell : JsonString(cell);
}

}  // namespace

void WriteReportText(const BalanceReport& report, std::ostream& out) {
    out << "Balance of " << VisibleControls(DisplayText(report.script)) << '\n';
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script") Wrapped(fact.title + ": " + fact.value, "  ", "    ", out);
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
        out << fact.id << ',' << CsvCell(fact.title) << ',' << CsvCell(fact.value) << "\r\n";
    }
    for (const ReportTable& table : report.tables) {
        out << "\r\n" << table.id << "\r\n";
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            out << (c > 0 ? "," : "") << table.columns[c].id;
        out << "\r\n";
        for (const auto& row : table.rows) {
            for (std::size_t c = 0; c < row.size(); ++c)
                out << (c > 0 ? "," : "") << CsvCell(row[c]);
            out << "\r\n";
        }
    }
    out << "\r\nadvice\r\ntext\r\n";
    for (const std::string& advice : report.advice) out << CsvCell(advice) << "\r\n";
}

void WriteReportJson(const BalanceReport& report, std::ostream& out) {
    out << "{\n  \"script\": " << JsonString(report.script) << ",\n  \"facts\": {";
    const char* comma = "";
    for (const ReportFact& fact : report.facts) {
        if (fact.id == "script") continue;
        out << comma << "\n    " << JsonString(fact.id) << ": "
            << JsonValue(fact.value, fact.number);
        comma = ",";
    }
    out << "\n  },\n  \"tables\": {";
    comma = "";
    for (const ReportTable& table : report.tables) {
        out << comma << "\n    " << JsonString(table.id) << ": [";
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            out << (r > 0 ? "," : "") << "\n      {";
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                out << (c > 0 ? ", " : "") << JsonString(table.columns[c].id) << ": "
                    << JsonValue(table.rows[r][c], table.columns[c].number);
            }
            out << '}';
        }
        out << (table.rows.empty() ? "]" : "\n    ]");
        comma = ",";
    }
    out << "\n  },\n  \"advice\": [";
    for (std::size_t i = 0; i < report.advice.size(); ++i)
        out << (i > 0 ? "," : "") << "\n    " << JsonString(report.advice[i]);
    out << (report.advice.empty() ? "]" : "\n  ]") << "\n}\n";
}

}  // namespace kinpath
