// The balance report's fuzz entry and the checks it makes of every format,
// shared by the libFuzzer target, the regression test that replays the saved
// inputs and the report's own tests: the JSON parses with a strict parser and
// holds the report's cells, the CSV reads back cell for cell, the page is
// well-formed, and the text shows every cell, with no control character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "FuzzCheck.h"
#include "authoring/balance/Balance.h"
#include "authoring/balance/BalanceReport.h"
#include "script/ScriptDocument.h"
#include "text/HtmlText.h"
#include "text/TextCodec.h"

namespace kinpath::fuzz {

// Text that any format may carry: UTF-8 without a control character but the
// tab (and the line feed where lines are allowed).
inline bool ShowableText(std::string_view text, bool lines = false) {
    if (!IsValidUtf8(text)) return false;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        if (IsHiddenControl(cp) && !(lines && cp == '\n')) return false;
    }
    return true;
}

// Every cell of the report, its facts first, then the tables row by row.
template <typename Visit>
void EachCell(const BalanceReport& report, Visit visit) {
    for (const ReportFact& fact : report.facts) visit(fact.value);
    for (const ReportTable& table : report.tables) {
        for (const auto& row : table.rows) {
            for (const ReportCell& cell : row) visit(cell);
        }
    }
}

inline bool SameValue(const nlohmann::json& json, const ReportCell& cell) {
    return std::visit(
        [&](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return json.is_string() && json.get<std::string>() == value;
            } else if constexpr (std::is_same_v<T, Decimal>) {
                return json.is_number() && json.get<double>() == DecimalValue(value);
            } else if constexpr (std::is_same_v<T, double>) {
                return json.is_number() && json.get<double>() == value;
            } else {
                return json.is_number_integer() && json.get<T>() == value;
            }
        },
        cell.Get());
}

// The JSON, read strictly, holds the report's figures and texts, keyed as
// the CSV names them.
inline void CheckJson(const BalanceReport& report, const std::string& text) {
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    KINPATH_FUZZ_CHECK(!json.is_discarded());
    KINPATH_FUZZ_CHECK(json.size() == 4 && json.at("script") == report.script);
    const nlohmann::json& facts = json.at("facts");
    KINPATH_FUZZ_CHECK(facts.size() + 1 == report.facts.size());
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script") KINPATH_FUZZ_CHECK(SameValue(facts.at(fact.id), fact.value));
    }
    const nlohmann::json& tables = json.at("tables");
    KINPATH_FUZZ_CHECK(tables.size() == report.tables.size());
    for (const ReportTable& table : report.tables) {
        const nlohmann::json& rows = tables.at(table.id);
        KINPATH_FUZZ_CHECK(rows.size() == table.rows.size());
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            KINPATH_FUZZ_CHECK(rows[r].size() == table.columns.size());
            for (std::size_t c = 0; c < table.columns.size(); ++c)
                KINPATH_FUZZ_CHECK(SameValue(rows[r].at(table.columns[c].id), table.rows[r][c]));
        }
    }
    KINPATH_FUZZ_CHECK(json.at("advice") == report.advice);
}

// CSV records as a spreadsheet reads them: fields apart by commas, records
// by CR LF, a field in quotes holding anything with its quotes doubled.
inline std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
    std::vector<std::vector<std::string>> records;
    std::size_t i = 0;
    while (i < text.size()) {
        auto& record = records.emplace_back(1);
        for (;;) {
            std::string& field = record.back();
            if (i < text.size() && text[i] == '"') {
                for (++i;; ++i) {
                    KINPATH_FUZZ_CHECK(i < text.size());  // a quote is always closed
                    if (text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"')) break;
                    if (text[i] == '"') ++i;
                    field += text[i];
                }
                ++i;
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                    KINPATH_FUZZ_CHECK(text[i] != '"' && text[i] != '\n');
                    field += text[i++];
                }
            }
            KINPATH_FUZZ_CHECK(i < text.size());  // every record ends in CR LF
            if (text[i] == ',') {
                record.emplace_back();
                ++i;
                continue;
            }
            KINPATH_FUZZ_CHECK(text.substr(i, 2) == "\r\n");
            i += 2;
            break;
        }
    }
    return records;
}

// The CSV reads back as the report's blocks, cell for cell: a text a
// spreadsheet would run as a formula with its leading apostrophe.
inline void CheckCsv(const BalanceReport& report, const std::string& text) {
    const auto field = [](const ReportCell& cell) {
        const std::string shown = cell.Text();
        const bool formula = !cell.IsNumber() && !shown.empty() &&
                             std::string_view("=+-@\t\r").find(shown[0]) != std::string_view::npos;
        return (formula ? "'" : "") + shown;
    };
    std::vector<std::vector<std::string>> expected = {{"facts"}, {"id", "title", "value"}};
    for (const ReportFact& fact : report.facts)
        expected.push_back({fact.id, field(fact.title), field(fact.value)});
    for (const ReportTable& table : report.tables) {
        expected.push_back({""});
        expected.push_back({table.id});
        auto& ids = expected.emplace_back();
        for (const ReportColumn& column : table.columns) ids.push_back(column.id);
        for (const auto& row : table.rows) {
            auto& cells = expected.emplace_back();
            for (const ReportCell& cell : row) cells.push_back(field(cell));
        }
    }
    expected.insert(expected.end(), {{""}, {"advice"}, {"text"}});
    for (const std::string& advice : report.advice) expected.push_back({field(advice)});
    KINPATH_FUZZ_CHECK(ReadCsv(text) == expected);
    KINPATH_FUZZ_CHECK(IsValidUtf8(text));
}

// Character data of the page: references only for the markup characters,
// and nothing a browser would take for markup.
inline void CheckHtmlText(std::string_view text) {
    KINPATH_FUZZ_CHECK(text.find_first_of("<>\"") == std::string_view::npos);
    for (std::size_t at = text.find('&'); at != std::string_view::npos;
         at = text.find('&', at + 1)) {
        bool known = false;
        for (const char* reference : {"&amp;", "&lt;", "&gt;", "&quot;"})
            known = known || text.substr(at).starts_with(reference);
        KINPATH_FUZZ_CHECK(known);
    }
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        KINPATH_FUZZ_CHECK(cp == '\n' || !IsHiddenControl(cp));
    }
}

// The page is well-formed: one doctype, every element closed in order (the
// <meta>s need not be), attribute values quoted, character data escaped.
inline void CheckHtml(const std::string& page) {
    constexpr std::string_view Doctype = "<!DOCTYPE html>\n";
    KINPATH_FUZZ_CHECK(page.starts_with(Doctype) && IsValidUtf8(page));
    std::vector<std::string> open;
    std::size_t i = Doctype.size();
    while (i < page.size()) {
        const std::size_t tag = page.find('<', i);
        CheckHtmlText(std::string_view(page).substr(i, tag - i));
        if (tag == std::string::npos) break;
        const std::size_t end = page.find('>', tag);
        KINPATH_FUZZ_CHECK(end != std::string::npos);
        std::string_view inside = std::string_view(page).substr(tag + 1, end - tag - 1);
        i = end + 1;
        if (inside.starts_with('/')) {
            KINPATH_FUZZ_CHECK(!open.empty() && open.back() == inside.substr(1));
            open.pop_back();
            continue;
        }
        const bool closed = inside.ends_with('/');
        if (closed) inside.remove_suffix(1);
        const std::string name(inside.substr(0, inside.find(' ')));
        KINPATH_FUZZ_CHECK(!name.empty() &&
                           name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") ==
                               std::string::npos);
        // Attributes: name="value", apart by blanks.
        for (std::string_view rest = inside.substr(name.size()); !rest.empty();) {
            KINPATH_FUZZ_CHECK(rest[0] == ' ');
            const std::size_t equals = rest.find("=\"");
            KINPATH_FUZZ_CHECK(equals != std::string_view::npos && equals > 1);
            const std::size_t close = rest.find('"', equals + 2);
            KINPATH_FUZZ_CHECK(close != std::string_view::npos);
            CheckHtmlText(rest.substr(equals + 2, close - equals - 2));
            rest.remove_prefix(close + 1);
        }
        if (name == "style") {  // raw text to its end tag
            const std::size_t styleEnd = page.find("</style>", i);
            KINPATH_FUZZ_CHECK(styleEnd != std::string::npos);
            i = styleEnd + 8;
        } else if (!closed && name != "meta") {
            open.push_back(name);
        }
    }
    KINPATH_FUZZ_CHECK(open.empty());
}

// Every format of the report, each checked; the page and the text also show
// every cell.
inline void CheckReportFormats(const BalanceReport& report) {
    std::ostringstream text, csv, json, html;
    WriteReportText(report, text);
    WriteReportCsv(report, csv);
    WriteReportJson(report, json);
    WriteReportHtml(report, html);
    CheckJson(report, json.str());
    CheckCsv(report, csv.str());
    CheckHtml(html.str());
    KINPATH_FUZZ_CHECK(ShowableText(text.str(), true));
    // The text wraps the facts, so blanks and line breaks count as one blank.
    const auto collapsed = [](const std::string& words) {
        std::string one;
        for (const char c : words) {
            if (c != ' ' && c != '\n') {
                one += c;
            } else if (one.empty() || one.back() != ' ') {
                one += ' ';
            }
        }
        return one;
    };
    const std::string plain = collapsed(text.str());
    EachCell(report, [&](const ReportCell& cell) {
        KINPATH_FUZZ_CHECK(ShowableText(cell.Text()));
        KINPATH_FUZZ_CHECK(plain.find(collapsed(cell.Text())) != std::string::npos);
        KINPATH_FUZZ_CHECK(html.str().find(HtmlEscaped(cell.Text())) != std::string::npos);
    });
}

// Reads the input's header bytes one at a time; zero once they are used up.
inline std::uint8_t HeaderByte(std::string_view& input) {
    if (input.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(input[0]);
    input.remove_prefix(1);
    return byte;
}

// The balance report's target: eight header bytes (runs, seed, skip, a total
// pushed into every bar's counts and how often, whether the name is an odd
// one), then the script. Loaded as the tools load it, simulated, reported in
// every format.
inline void RunBalanceInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    BalanceOptions options;
    options.runs = 1 + HeaderByte(input) % 64;
    options.seed = HeaderByte(input);
    options.skipProbability = HeaderByte(input) / 255.0;
    const std::uint8_t flags = HeaderByte(input);
    std::uint32_t pushed = 0;
    for (int k = 0; k < 4; ++k) pushed = pushed << 8 | HeaderByte(input);
    auto document = std::make_shared<ScriptDocument>();
    if (!LoadScriptText(*document, input).loaded) return;
    BalanceTally tally = SimulateBalance(document, options);
    KINPATH_FUZZ_CHECK(tally.runs == options.runs);
    // Totals the runs did not make, at and past the ends of what is counted.
    for (int k = 0; k < (flags & 7); ++k) {
        for (TotalCounts& bar : tally.bars) bar.Add(std::int32_t(pushed));
        tally.leadingRace.Add(std::int32_t(pushed) / (k + 1));
        tally.leadingClass.Add(std::int32_t(pushed) - k);
    }
    const std::string name = (flags & 8) ? "Caf\xE9 <b>&\"\x1B[31m\xFF.txt" : "script.txt";
    CheckReportFormats(BuildBalanceReport(name, *document, options, tally));
}

}  // namespace kinpath::fuzz
