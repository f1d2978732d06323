// A game declared in the script: random declarations against a model of the
// Game they declare, the refusals at their lines, and answers reading the
// declared keys.
#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/check/ScriptCheck.h"
#include "script/ScriptDocument.h"

using namespace kinpath;

namespace {

const std::string Question = "<QUESTION>\nname=Q\ntext=A\n</QUESTION>\n";

// Some letters of a name in the other case: names are matched in any case.
std::string AnyCase(std::string name, std::mt19937& random) {
    for (char& c : name)
        if (std::isalpha(static_cast<unsigned char>(c)) && random() % 3 == 0)
            c = static_cast<char>(c ^ 0x20);
    return name;
}

// A random declaration as script text, and the Game it declares. Keys are
// drawn from few letters, so that some end in others.
std::string RandomDeclaration(std::mt19937& random, Game& game) {
    const int counts[3] = {1 + int(random() % FirstTableCapacity),
                           int(random() % (SecondTableCapacity + 1)),
                           int(random() % (SharedTotalCapacity + 1))};
    std::vector<std::string> blocks[3];
    std::vector<std::string> keys;
    const auto newKey = [&]() -> std::string {
        std::string stem;
        do {
            stem = "";
            for (int n = 1 + int(random() % 3); n > 0; --n) stem += "ab1"[random() % 3];
        } while (std::find(keys.begin(), keys.end(), stem + "pts=") != keys.end());
        keys.push_back(stem + "pts=");
        return keys.back();
    };
    std::vector<GameKey> declared[3];  // by block kind and block (an empty key: none)
    for (int t = 0; t < 2; ++t) {
        for (int r = 0; r < counts[t]; ++r) {
            GameRow& row = game.tables[t].emplace_back();
            row.name = (t == 0 ? "Rk" : "Cl") + std::to_string(r);
            row.about = random() % 2 ? "About name=x of " + row.name : "";
            row.slots[0] = static_cast<std::uint8_t>(t == 0 ? r : FirstTableCapacity + r);
            std::string text = "name=" + row.name + "\n";
            if (!row.about.empty()) text += "about=" + row.about + "\n";
            declared[t].push_back({random() % 5 != 0 ? newKey() : "", row.slots[0]});
            if (!declared[t].back().key.empty())
                text += "key=" + AnyCase(declared[t].back().key, random) + "\n";
            blocks[t].push_back(text);
        }
    }
    // Pairs, each written on either side (or as any), several a line.
    for (int r = 0; r < counts[0]; ++r) {
        if (random() % 6 == 0 && counts[1] > 0) {
            blocks[0][r] += "with=any\n";
            game.tables[0][r].partners = std::uint16_t((1u << counts[1]) - 1);
            for (GameRow& other : game.tables[1]) other.partners |= std::uint16_t(1u << r);
            continue;
        }
        for (int c = 0; c < counts[1]; ++c) {
            if (random() % 3 != 0) continue;
            game.tables[0][r].partners |= std::uint16_t(1u << c);
            game.tables[1][c].partners |= std::uint16_t(1u << r);
            const bool onRace = random() % 2 == 0;
            blocks[onRace ? 0 : 1][onRace ? r : c] +=
                "with= " + AnyCase(game.tables[onRace ? 1 : 0][onRace ? c : r].name, random) +
                (random() % 2 ? " ,\n" : "\n");
        }
    }
    for (int k = 0; k < counts[2]; ++k) {
        game.shared.push_back("Total" + std::to_string(k));
        declared[2].push_back({newKey(), static_cast<std::uint8_t>(BarSlotCount + k)});
        std::string text = "name=" + game.shared.back() + "\nkey=" + declared[2].back().key + "\n";
        std::string list = "for=";
        for (int t = 0; t < 2; ++t) {
            for (GameRow& row : game.tables[t]) {
                if (random() % 3 != 0 && list != "for=") continue;
                row.slots[row.count++] = static_cast<std::uint8_t>(BarSlotCount + k);
                list += AnyCase(row.name, random) + ", ";
            }
        }
        blocks[2].push_back(text + list + "\n");
    }
    // The blocks in a random order, each kind's in its own; the keys then
    // longest first, ties in block order.
    const char* const tags[3] = {"RACE", "CLASS", "TOTAL"};
    std::string script = random() % 2 ? "<GAME>\ntitle=T\nfirst=Kin\n</GAME>\n" : "";
    if (!script.empty()) game.title = "T", game.words[0] = "kin";
    std::size_t next[3] = {};
    for (int left = counts[0] + counts[1] + counts[2]; left > 0; --left) {
        int kind = int(random() % 3);
        while (next[kind] == blocks[kind].size()) kind = (kind + 1) % 3;
        if (!declared[kind][next[kind]].key.empty())
            game.keys.push_back(declared[kind][next[kind]]);
        script += std::string("<") + tags[kind] + ">\n" + blocks[kind][next[kind]++] + "</" +
                  tags[kind] + ">\n";
    }
    std::stable_sort(game.keys.begin(), game.keys.end(), [](const GameKey& a, const GameKey& b) {
        return a.key.size() > b.key.size();
    });
    return script;
}

std::string FirstError(const std::string& script) {
    ScriptDocument document;
    const LoadOutcome outcome = LoadScriptText(document, script);
    return outcome.errors.empty() ? "" : ScriptErrorText(outcome.errors[0]);
}

}  // namespace

TEST(GameDeclaration, RandomDeclarationsGiveTheGameTheyDeclare) {
    std::mt19937 random(2718);
    ScriptDocument document;
    for (int round = 0; round < 300; ++round) {
        Game expected;
        const std::string script = RandomDeclaration(random, expected) + Question;
        const LoadOutcome outcome = LoadScriptText(document, script);
        ASSERT_TRUE(outcome.loaded) << ScriptErrorText(outcome.errors.at(0)) << "\n" << script;
        ASSERT_NE(document.DeclaredGame(), nullptr);
        ASSERT_TRUE(*document.DeclaredGame() == expected) << script;
        EXPECT_EQ(CheckScript(script).errors, 0) << script;
    }
    // No declaration, no game; a game's tag after the first question is not read.
    ASSERT_TRUE(LoadScriptText(document, Question + "<RACE>\nname=A\n</RACE>\n").loaded);
    EXPECT_EQ(document.DeclaredGame(), nullptr);
}

// Each refusal at its line (the window's count), and the checker's first
// error at the same line.
TEST(GameDeclaration, RefusalsAtTheirLines) {
    const std::string race = "<RACE>\nname=Saltborn\nkey=saltpts=\n</RACE>\n";  // 4 lines
    const std::string corsair = "<CLASS>\nname=Corsair\nwith=saltborn\n</CLASS>\n";
    std::string races;
    for (int r = 0; r < 14; ++r) races += "<RACE>\nname=R" + std::to_string(r) + "\n</RACE>\n";
    std::string totals;
    for (int k = 0; k < 5; ++k)
        totals += "<TOTAL>\nname=T" + std::to_string(k) + "\nkey=t" + std::to_string(k) +
                  "pts=\nfor=Saltborn\n</TOTAL>\n";
    const std::pair<std::string, std::string> cases[] = {
        {races, "A game has at most 13 RACE blocks, line 40"},
        {race + totals, "A game has at most 4 TOTAL blocks, line 25"},
        {"<GAME>\n</GAME>\n<GAME>\n", "A script has one GAME block, line 3"},
        {corsair, "CLASS blocks need a RACE block, line 1"},
        {race + "<CLASS>\nname=Corsair\nwith=Saltborn, Wardn\n</CLASS>\n",
         "No RACE named Wardn, line 7"},
        {"<RACE>\nname=Saltborn\nwith=Wardn\n</RACE>\n" + corsair, "No CLASS named Wardn, line 3"},
        {race + "<TOTAL>\nname=daring\nkey=darepts=\nfor=Corsair\n</TOTAL>\n",
         "No RACE or CLASS named Corsair, line 8"},
        {race + "<CLASS>\nname=SALTBORN \n</CLASS>\n", "SALTBORN is named twice, line 6"},
        {race + "<TOTAL>\nname=saltborn\n", "saltborn is named twice, line 6"},
        {"<RACE>\nkey=salt=\n", "A point key ends in pts=, line 2"},
        {"<RACE>\nkey=s-altpts=\n", "A point key has only letters and digits before pts=, line 2"},
        {"<RACE>\nkey=pts=\n", "A point key has only letters and digits before pts=, line 2"},
        {race + "<CLASS>\nkey=SaltPts=\n", "The key saltpts= is given twice, line 6"},
        {race + "<TOTAL>\nname=d\nkey=dpts=\n</TOTAL>\n", "A TOTAL block needs a for=, line 8"},
        {race + "<TOTAL>\nname=d\nfor=saltborn\n</TOTAL>\n", "A TOTAL block needs a key=, line 8"},
        {"<RACE>\nabout=A name=x\n</RACE>\n", "A RACE block needs a name=, line 3"},
        {"<RACE>\nname=x\nnmae=y\n</RACE>\n", "Undefined symbol found, line 3"},
        {"<RACE>\nname=x\n", "Undefined symbol found, line 3"},          // cut by <QUESTION>
        {"<RACE>\nname=x\n.", "The RACE block has no </RACE>, line 3"},  // "." : no question
    };
    for (const auto& [declaration, error] : cases) {
        const std::string script = declaration.ends_with('.')
                                       ? declaration.substr(0, declaration.size() - 1)
                                       : declaration + Question;
        EXPECT_EQ(FirstError(script), error) << script;
        const CheckResult check = CheckScript(script);
        const auto first = std::find_if(
            check.diagnostics.begin(), check.diagnostics.end(),
            [](const CheckDiagnostic& d) { return d.severity == CheckSeverity::Error; });
        ASSERT_NE(first, check.diagnostics.end()) << script;
        EXPECT_EQ("line " + std::to_string(first->windowLine), error.substr(error.rfind(' ') - 4));
        EXPECT_NE(first->text.find(error), std::string::npos) << first->text;
    }
}

// Answers read the declared keys, not the built-in ones; of two keys on a
// line the longer wins, a digit is matched as written; a game of a GAME
// block alone keeps the built-in keys.
TEST(GameDeclaration, AnswersReadTheDeclaredKeys) {
    const std::string game =
        "<RACE>\nname=Elf\nkey=elfpts=\n</RACE>\n<RACE>\nname=Dark Elf\nkey=darkelfpts=\n</RACE>\n"
        "<CLASS>\nname=Droid\nkey=r2d2pts=\n</CLASS>\n";
    const auto points = [&](const std::string& declaration, const std::string& lines) {
        ScriptDocument document;
        const LoadOutcome outcome = LoadScriptText(
            document, declaration + "<QUESTION>\n<ANSWER>\n" + lines + "</ANSWER>\n</QUESTION>\n");
        if (!outcome.loaded) return ScriptErrorText(outcome.errors[0]);
        const PointValues values = document.Points(document.AllAnswers()[0]);
        std::string set;
        for (int slot = 0; slot < PointSlotCount; ++slot)
            if (values[slot] != 0)
                set += std::to_string(slot) + "=" + std::to_string(values[slot]) + " ";
        return set;
    };
    EXPECT_EQ(points(game, "ElfPts=1\nx darkelfpts=2 elfpts=3\nR2D2PTS=4\n"), "0=1 1=2 13=4 ");
    EXPECT_EQ(points(game, "warpts=1\n"), "Undefined symbol found, line 15");
    EXPECT_EQ(points(game,
                     "r\x12"
                     "d2pts=1\n"),
              "Undefined symbol found, line 15");
    EXPECT_EQ(points("<GAME>\ntitle=Retitled\n</GAME>\n", "warpts=1\n"),
              std::to_string(SlotWarrior) + "=1 ");
}
