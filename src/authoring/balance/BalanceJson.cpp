// The balance report as JSON for scripts: one object whose figures are JSON
// numbers and whose texts are strings, written by the JSON library.
#include <ostream>
#include <variant>

#include <nlohmann/json.hpp>

#include "authoring/balance/BalanceReport.h"

namespace kinpath {

namespace {

// Keeps the report's order of facts, tables and columns.
using Json = nlohmann::ordered_json;

Json JsonOf(const ReportCell& cell) {
    return std::visit(
        [](const auto& value) -> Json {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, Decimal>) {
                return DecimalValue(value);
            } else {
                return value;
            }
        },
        cell.Get());
}

}  // namespace

void WriteReportJson(const BalanceReport& report, std::ostream& out) {
    Json json = Json::object();
    json["script"] = report.script;
    Json& facts = json["facts"] = Json::object();
    for (const ReportFact& fact : report.facts) {
        if (fact.id != "script") facts[fact.id] = JsonOf(fact.value);
    }
    Json& tables = json["tables"] = Json::object();
    for (const ReportTable& table : report.tables) {
        Json& rows = tables[table.id] = Json::array();
        for (const auto& row : table.rows) {
            Json& object = rows.emplace_back(Json::object());
            for (std::size_t c = 0; c < row.size(); ++c)
                object[table.columns[c].id] = JsonOf(row[c]);
        }
    }
    json["advice"] = report.advice;
    // Texts are UTF-8 by construction (ReportCell), so they go out as they are.
    out << json.dump(2) << '\n';
}

}  // namespace kinpath
