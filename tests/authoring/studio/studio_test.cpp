#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "authoring/check/ScriptCheck.h"
#include "authoring/studio/Studio.h"

using namespace kinpath;
using Json = nlohmann::json;

namespace {

std::string Example(const std::string& name) {
    std::ifstream in(std::string(KINPATH_EXAMPLES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> Lines(const std::string& script) {
    std::vector<std::string> lines;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string script;
    for (const std::string& line : lines) script += line + "\n";
    return script;
}

// A slip of the hand: two letters swapped, one dropped, one doubled.
std::string Slip(std::string word, int how) {
    if (how == 0) std::swap(word[1], word[2]);
    if (how == 1) word.erase(1, 1);
    if (how == 2) word.insert(1, 1, word[1]);
    return word;
}

}  // namespace

// Each key and tag of the examples misspelt in turn: a fix offered leaves
// fewer diagnostics and no more errors, puts the line back as it was whenever the first
// suggestion is the word meant, and is offered for most slips.
TEST(Studio, FixesUndoSlips) {
    int slips = 0, restored = 0;
    for (const char* name : {"script.txt", "ember-coast.txt", "lantern-guilds.txt"}) {
        const std::vector<std::string> lines = Lines(Example(name));
        for (std::size_t n = 0; n < lines.size(); n += 5) {
            const std::string& line = lines[n];
            const std::size_t cut = line[0] == '<' ? line.size() : line.find('=');
            if (line.empty() || line[0] == '#' || cut == std::string::npos || cut < 4) continue;
            std::vector<std::string> slipped = lines;
            const int how = static_cast<int>(n / 5 % 3);
            slipped[n] = Slip(line.substr(0, cut), how) + line.substr(cut);
            const Json check = Json::parse(studio::DiagnosticsJson(Joined(slipped)));
            ++slips;
            for (const Json& d : check["diagnostics"]) {
                if (!d.contains("fix")) continue;
                std::vector<std::string> fixed = slipped;
                fixed[d["line"].get<std::size_t>() - 1] = d["fix"];
                const CheckResult after = CheckScript(Joined(fixed));
                EXPECT_LE(after.errors, check["errors"].get<int>()) << name << ":" << n + 1;
                EXPECT_LT(after.errors + after.warnings,
                          check["errors"].get<int>() + check["warnings"].get<int>())
                    << name << ":" << n + 1 << " " << d["text"];
                restored += fixed == lines;
            }
        }
    }
    EXPECT_GT(slips, 60);
    EXPECT_GT(restored * 10, slips * 8);
}

// The check's counts and summary agree with the checker's own.
TEST(Studio, DiagnosticsCountAsTheChecker) {
    const std::string script =
        "<QUESTION>\r\n  nmae=Who?\r\ntext=A\n<ANSWER>\ntype=1\n"
        "warpts=1\n</ANSWER>\n</QUESTON>\n";
    const Json check = Json::parse(studio::DiagnosticsJson(script));
    const CheckResult expected = CheckScript(script, {ListedPerKind});
    ASSERT_EQ(check["diagnostics"].size(), expected.diagnostics.size());
    for (std::size_t i = 0; i < expected.diagnostics.size(); ++i) {
        EXPECT_EQ(check["diagnostics"][i]["line"], expected.diagnostics[i].line);
        EXPECT_EQ(check["diagnostics"][i]["text"], expected.diagnostics[i].text);
    }
    EXPECT_EQ(check["summary"], "1 question, " + std::to_string(expected.errors) + " errors, " +
                                    std::to_string(expected.warnings) + " warning" +
                                    (expected.warnings == 1 ? "" : "s"));
    EXPECT_EQ(check["diagnostics"][1]["fix"], "  name=Who?");
    EXPECT_EQ(check["diagnostics"].back()["fix"], "</QUESTION>");
}

// Offsets count UTF-16 units, as the editor's text does.
TEST(Studio, ColoursInTheEditorsUnits) {
    const Json colours =
        Json::parse(studio::ColoursJson("  <QUESTION> \n# \xC3\x89t\xC3\xA9\n"
                                        "\tname=\xC3\x89lan \xE2\x82\xAC\xF0\x9F\x98\x80!\n"
                                        "no key here\n\nname="));
    EXPECT_EQ(colours, Json::parse(R"([[[2,10,"tag"]],[[0,5,"comment"]],
        [[1,5,"key"],[6,9,"value"]],[],[],[[0,5,"key"]]])"));
}

// The title, the page and the report are refused a draft with errors.
TEST(Studio, DraftsWithErrorsAreRefused) {
    const std::string broken = "<QUESTION>\nnmae=Who?\n</QUESTION>\n";
    EXPECT_EQ(studio::PublishDraft("<title></title>", broken, ""), std::nullopt);
    EXPECT_EQ(studio::BalanceHtml(broken, {}), "");
    EXPECT_EQ(studio::DraftTitle(Example("ember-coast.txt")),
              "Which hero of the Ember Coast are you?");
    EXPECT_EQ(studio::DraftTitle(Example("script.txt")), "Kinpath Race and Class chooser");
}
