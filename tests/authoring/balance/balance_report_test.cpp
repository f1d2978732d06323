// The balance report's formats: each reads back as the report it was written
// from, texts from a script or a file name reach every format safely, the
// figures at the edges of what is counted, the wrap of the text, and what the
// advice says of a bar that ends empty.
#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "../../../fuzz/BalanceFuzz.h"
#include "TestSupport.h"
#include "authoring/balance/BalanceReport.h"
#include "scoring/RowNames.h"

using namespace kinpath;

namespace {

// Texts a script may hold: markup, a spreadsheet formula, a tab, a Windows-1252
// byte, an escape sequence and bytes that are neither.
const std::string OddScript =
    "<SETTINGS>\npreference=raceoverclass\n</SETTINGS>\n<QUESTION>\nname=Q\n"
    "text=Sword <i> & \"x\"\ntext==HYPERLINK(\"evil\")\ntext=Caf\xE9\ttab\n"
    "<ANSWER>\ntype=1\nwarpts=100\nhumanpts=100\nevilpts=3\n</ANSWER>\n"
    "<ANSWER>\ntype=2\nwizpts=100\nikspts=150\n</ANSWER>\n"
    "<ANSWER>\ntype=3\npalpts=20\nsmallracepts=-15\n</ANSWER>\n</QUESTION>\n"
    "<QUESTION>\ntext=A\x1B[31m\ntext=\xFF\xFE\n<ANSWER>\ntype=1\ndrupts=40\n</ANSWER>\n"
    "<ANSWER>\ntype=2\ngoodpts=2\nbigracepts=1\n</ANSWER>\n</QUESTION>\n";

using kinpath::testing::Has;
using kinpath::testing::LoadedScript;

std::string Written(const BalanceReport& report,
                    void (*write)(const BalanceReport&, std::ostream&)) {
    std::ostringstream out;
    write(report, out);
    return out.str();
}

TEST(BalanceReportTest, EveryFormatReadsBackAndShowsTextsSafely) {
    const auto document = LoadedScript(OddScript);
    const BalanceOptions options{500, 3, 0.2, 2};
    const BalanceReport report = BuildBalanceReport("Caf\xE9 <b>&\x1B]0;x\x07\xFF.txt", *document,
                                                    options, SimulateBalance(document, options));
    fuzz::CheckReportFormats(report);  // JSON strict, CSV read back, the page well-formed

    const std::string shownName = "Caf\xC3\xA9 <b>&^[]0;x^G\xC3\xBF.txt";
    EXPECT_EQ(report.script, shownName);
    const std::string json = Written(report, WriteReportJson);
    EXPECT_TRUE(Has(json, "\"script\": \"" + shownName + "\""));  // UTF-8 as it is
    EXPECT_TRUE(Has(json, "\"Caf\xC3\xA9\\ttab\"")) << json;
    const std::string csv = Written(report, WriteReportCsv);
    EXPECT_TRUE(Has(csv, "\r\nscript,Script," + shownName + "\r\n")) << csv;
    EXPECT_TRUE(Has(csv, ",\"'=HYPERLINK(\"\"evil\"\")\"")) << csv;
    EXPECT_TRUE(Has(csv, ",A^[[31m\r\n")) << csv;
    const std::string html = Written(report, WriteReportHtml);
    EXPECT_TRUE(Has(html, "<h1>Balance of Caf\xC3\xA9 &lt;b&gt;&amp;^[]0;x^G\xC3\xBF.txt</h1>"));
    EXPECT_TRUE(Has(html, "<td>Sword &lt;i&gt; &amp; &quot;x&quot;</td>")) << html;
    EXPECT_FALSE(Has(html, "<i>") || Has(html, "<b>"));

    // The leanings by their names (every format holds the same cells).
    const std::string text = Written(report, WriteReportText);
    for (const char* name : {"evil", "good", "big race", "small race"})
        EXPECT_TRUE(Has(text, "\n  " + std::string(name) + " ")) << name;
}

// Totals are counted exactly from -1000 to 1000; where a bar ends is told in
// the steps of ten a player sees, below 0 empty and from 100 on full.
TEST(BalanceReportTest, FiguresAtTheEdgesOfWhatIsCounted) {
    const auto bin = [](int total) {
        return total < 0 ? 0 : total >= 100 ? EndBins - 1 : 1 + total / 10;
    };
    for (int total = -1100; total <= 1100; ++total) {
        TotalCounts counts;
        counts.Add(total);
        EndCounts expected{};
        expected[std::size_t(bin(total))] = 1;
        ASSERT_EQ(EndsOf(counts), expected) << total;
        ASSERT_EQ(counts.Percentile(50), std::clamp(total, -1001, 1001)) << total;
    }
    EXPECT_EQ(TotalCell(-1000), ReportCell(-1000));
    EXPECT_EQ(TotalCell(-1001).Text(), "below -1000");
    EXPECT_EQ(TotalCell(1000), ReportCell(1000));
    EXPECT_EQ(TotalCell(1001).Text(), "above 1000");

    // A tally whose Warrior bar ends at both edges of each range.
    const auto document = LoadedScript(OddScript);
    BalanceTally tally;
    tally.runs = 10;
    for (const int total : {-1001, -1000, -1, 0, 9, 10, 99, 100, 1000, 1001})
        tally.bars[SlotWarrior].Add(total);
    tally.leadingRace.Add(-1000);
    tally.leadingClass.Add(-1001);
    const BalanceReport report = BuildBalanceReport("s.txt", *document, {}, tally);
    fuzz::CheckReportFormats(report);
    const ReportTable& ends = *report.Table("bar_totals");
    const auto& warrior = ends.rows[std::size_t(RaceRowCount + 12)];
    ASSERT_EQ(warrior[0].Text(), "Warrior");
    const std::vector<ReportCell> counts(warrior.begin() + 1, warrior.end());
    const std::uint64_t expected[] = {3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 1, 3};
    EXPECT_EQ(counts, std::vector<ReportCell>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(ends.columns.back().title, "100+");
    EXPECT_EQ(report.charts.ends[std::size_t(RaceRowCount + 12)].second[EndBins - 1], 3u);
    // The pair chart marks the pairs the game allows: a Dwarf Paladin, no Dwarf Wizard.
    const auto at = [](const std::vector<std::string>& names, const char* name) {
        return std::size_t(std::find(names.begin(), names.end(), name) - names.begin());
    };
    const auto& dwarf = report.charts.pairAllowed.at(at(report.charts.pairRaces, "Dwarf"));
    EXPECT_TRUE(dwarf.at(at(report.charts.pairClasses, "Paladin")) &&
                !dwarf.at(at(report.charts.pairClasses, "Wizard")));
    const std::string html = Written(report, WriteReportHtml);
    EXPECT_TRUE(Has(html, "<title>100+: 3</title>") && Has(html, "<title>&lt;0: 3</title>"));
    const ReportTable& leaders = *report.Table("leaders");
    EXPECT_EQ(leaders.rows[0][1], ReportCell(-1000));  // the leading race's median
    EXPECT_EQ(leaders.rows[1][1].Text(), "below -1000");
}

// Words wrap at 100 columns, counted in characters: a line may reach the
// 100th column, never pass it.
TEST(BalanceReportTest, TextWrapsAtTheHundredthColumn) {
    const std::string e = "\xC3\xA9";  // one column, two bytes
    std::string word48, word49;
    for (int i = 0; i < 48; ++i) word48 += e;
    word49 = word48 + "x";
    BalanceReport report;
    report.script = "s.txt";
    for (const std::string& note : {word49 + " " + word48, word49 + " " + word49}) {
        ReportTable table;
        table.id = table.title = "t";
        table.columns = {{"c", "C", false}};
        table.rows = {{"x"}};
        table.note = note;
        report.tables.push_back(table);
    }
    report.facts = {{"f", std::string(95, 'f'), "g h"}};  // "  " + 95 + ": g" is 100
    report.advice = {std::string(92, 'a') + " bc"};       // "Advice: " + 92 is 100
    const std::string text = Written(report, WriteReportText);
    EXPECT_TRUE(Has(text, "\n  " + word49 + " " + word48 + "\n"));
    EXPECT_TRUE(Has(text, "\n  " + word49 + "\n  " + word49 + "\n"));
    EXPECT_TRUE(Has(text, "\n  " + std::string(95, 'f') + ": g\n    h\n"));
    EXPECT_TRUE(Has(text, "\nAdvice: " + std::string(92, 'a') + "\n  bc\n"));
}

// A leading bar that ends at 0 or below cannot be scaled up: the advice asks
// for points of the race or class keys' own instead of a factor.
TEST(BalanceReportTest, AdviceForALeadingBarThatEndsEmpty) {
    const auto document = LoadedScript(OddScript);
    for (const auto& [race, cls, kind] :
         {std::tuple{0, 40, "race"}, std::tuple{50, 0, "class"}, std::tuple{-5, 10, "race"}}) {
        BalanceTally tally;
        tally.runs = 1;
        tally.leadingRace.Add(race);
        tally.leadingClass.Add(cls);
        const BalanceReport report = BuildBalanceReport("s.txt", *document, {}, tally);
        ASSERT_EQ(report.advice.size(), 1u);
        EXPECT_TRUE(
            Has(report.advice[0], "A bar that ends at 0 or below cannot be scaled up: give the " +
                                      std::string(kind) +
                                      " keys points of their own (the leanings have no bar)."))
            << report.advice[0];
        EXPECT_FALSE(Has(report.advice[0], "Multiply")) << report.advice[0];
    }
}

}  // namespace

// A declared game is reported with its own rows, totals and words, and only
// those; a game of one table has no second table, no pairs and no "Unknown".
TEST(BalanceReportTest, ADeclaredGameIsToldInItsOwnWords) {
    for (const bool two : {true, false}) {
        const std::string script =
            "<GAME>\nfirst=ancestry\n" + std::string(two ? "second=calling\n" : "") +
            "</GAME>\n<RACE>\nname=Elfkin\nkey=elfpts=\n</RACE>\n<RACE>\nname=Stoneborn\n"
            "key=stonepts=\n</RACE>\n<RACE>\nname=Wanderer\nkey=wandpts=\n</RACE>\n" +
            (two ? "<CLASS>\nname=Sage\nkey=sagepts=\nwith=Elfkin, Wanderer\n</CLASS>\n<CLASS>\n"
                   "name=Blade\nkey=bladepts=\nwith=Elfkin, Stoneborn\n</CLASS>\n"
                 : "") +
            "<TOTAL>\nname=wild\nkey=wildpts=\nfor=Elfkin" + (two ? ", Blade" : "") +
            "\n</TOTAL>\n<QUESTION>\ntext=A\ntext=B\ntext=C\n<ANSWER>\ntype=1\nelfpts=30\n"
            "wildpts=5\n</ANSWER>\n<ANSWER>\ntype=2\nstonepts=40\n" +
            (two ? "sagepts=50\n" : "") + "</ANSWER>\n<ANSWER>\ntype=3\nwildpts=20\n" +
            (two ? "bladepts=9\n" : "") + "</ANSWER>\n</QUESTION>\n";
        const auto document = LoadedScript(script);
        const BalanceOptions options{600, 2, 0.1, 2};
        const BalanceReport report =
            BuildBalanceReport("s.txt", *document, options, SimulateBalance(document, options));
        fuzz::CheckReportFormats(report);
        std::uint64_t runs = 0;
        for (const auto& row : report.Table("races")->rows)
            runs += std::get<std::uint64_t>(row[1].Get());
        EXPECT_EQ(runs, 600u);
        EXPECT_EQ(report.Table("pairs") != nullptr, two);
        EXPECT_EQ(report.Table("leanings")->rows.size(), 1u);
        std::string all = Written(report, WriteReportText) + Written(report, WriteReportHtml);
        for (std::size_t at; (at = all.find("class=\"")) != std::string::npos;) all.erase(at, 7);
        for (const char* name : {"Elfkin", "Stoneborn", "Wanderer", "Ancestries", "wildpts="})
            EXPECT_TRUE(Has(all, name)) << name;
        EXPECT_EQ(Has(all, "Blade") && Has(all, "an ancestry or calling"), two);
        // The pairs the game allows: Stoneborn is no Sage, Wanderer no Blade.
        using Allowed = std::vector<std::vector<bool>>;
        const Allowed allowed = two ? Allowed{{1, 1}, {0, 1}, {1, 0}} : Allowed{};
        EXPECT_EQ(report.charts.pairAllowed, allowed);
        for (char& c : all) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (const auto& table : BuiltInGame().tables) {
            for (const GameRow& row : table) {
                std::string name = row.name;
                for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
                EXPECT_FALSE(Has(all, name)) << name;
            }
        }
        for (const char* word : {"race", "class", "evil", two ? "evil" : "unknown"})
            EXPECT_FALSE(Has(all, word)) << word;
    }
    EXPECT_EQ(PluralOf("class") + PluralOf("box") + PluralOf("day") + PluralOf("ancestry"),
              "classesboxesdaysancestries");
    EXPECT_EQ(Listed({"a", "b", "c"}, " or "), "a, b or c");
}
