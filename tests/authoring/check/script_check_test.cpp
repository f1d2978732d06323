#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/check/ScriptCheck.h"

using namespace kinpath;
using namespace std::string_literals;

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
}

// Each script with every diagnostic it gets, in order: "line:kind:" and a part
// of the text. Whether a script loads, and the line of its first error, are
// held to the window on random scripts in script_document_test.cpp.
TEST(ScriptCheck, EachErrorAndWarningAtItsLine) {
    std::string many = "<QUESTION>\nname=Many\n";                               // lines 1, 2
    for (int k = 1; k <= 10; ++k) many += "text=C" + std::to_string(k) + "\n";  // lines 3..12
    for (int k = 1; k <= 9; ++k)
        many += "<ANSWER>\ntype=" + std::to_string(k) + "\nwarpts=0\n</ANSWER>\n";  // 9: line 46
    many += "</QUESTION>\n<QUESTION>\n</QUESTION>\n";  // the second question starts at line 50
    const auto twoChoices = [](const std::string& first, const std::string& second) {
        return "<QUESTION>\ntext=A\ntext=B\n<ANSWER>\ntype=1\n" + first +
               "</ANSWER>\n<ANSWER>\ntype=2\n" + second + "</ANSWER>\n</QUESTION>\n";
    };
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // unknown keys quoted, with the nearest valid key; errors name the window's messages; a
        // question's warnings come with its errors
        {"<QUESTION>\ntext=A\n<ANSWER>\ntype=1\nrogpt=20\nstealthpts=10\nwarpts =1\n</ANSWER>\n"
         "warriorpts=4\nwarpts=4\n</QUESTION>\n",
         {"1:warning:question 1 (no name): the question has no name=",
          "5:error:unknown key 'rogpt=': did you mean 'rogpts='? (the window says \"Undefined symbol "
          "found, line 5\", then \"End of script expected, line 5\")",
          "6:error:unknown key 'stealthpts=' (the window",
          "7:error:unknown key 'warpts =': did you mean 'warpts='? (no blank may stand before the =)",
          "9:error:unknown key 'warriorpts=': did you mean 'warpts=', a key of an ANSWER block?",
          "10:error:unknown key 'warpts=': it is a key of an ANSWER block, not of a QUESTION block"}},
        {"<QUESTION>\nname=A\ntext\n</QUESTION>\n<FINAL>\nrecap=maybe\n</FINAL>\n",
         {"1:warning:no choices",
          "3:error:no text=: a choice is written text=, then its text (the window says \"Error line 3",
          "6:error:not \"maybe\""}},
        // blocks left open name the line they opened at; the window counts the empty line after
        // the final line feed, the check names the last line
        {"<QUESTION>\nname=x\n",
         {"1:warning:no choices",
          "2:error:opened at line 1 has no </QUESTION>: the file ends inside it (the window says only"}},
        {"<QUESTION>\nname=One\ntext=A\n<QUESTION>\nname=Two\ntext=B\n</QUESTION>\n",
         {"3:warning:question 1 \"One\": choice 1 \"A\" has no answer",
          "4:error:question 1 \"One\": the QUESTION block opened at line 1 has no </QUESTION> before",
          "6:warning:question 2 \"Two\": choice 1 \"B\" has no answer"}},
        {"<QUESTION>\ntext=A\n<ANSWER>\ntype=1\n<ANSWER>\ntype=2\njunk\n</QUESTION>\n<SETTINGS>\n"
         "</QUESTION>\n<QUESTION>\n<ANSWER>\n",
         {"1:warning:no name=",
          "5:error:the ANSWER block opened at line 3 has no </ANSWER> before this <ANSWER> (the",
          "6:warning:the answer of line 5 is never reached",
          "7:error:the line holds no key of an ANSWER block: \"junk\"",
          "8:error:the ANSWER block opened at line 5 has no </ANSWER> before this </QUESTION>",
          "10:error:'</QUESTION>' does not end a SETTINGS block: the SETTINGS block opened at line 9",
          "11:warning:question 2", "11:warning:question 2 (no name): the question has no choices",
          "12:error:line 12 has no </ANSWER>, nor the QUESTION block opened at line 11 a </QUESTION>"}},
        // misspelt tags are taken for what they mean
        {"<SETTINGS>\nfoo\n</SETTINGS >\n<QUESTION>\ntext=A\n<ANSWR>\ntype=1\n</ANSWR>\n</ANSWER>\n"
         "<FOO>\n</QUESTIO>\n<QUESTON>\nname=x\n",
         {"2:error:SETTINGS block: the line holds no key of a SETTINGS block: \"foo\"",
          "3:error:end tag '</SETTINGS >' holds blanks, which a tag line may not",
          "4:warning:no name=", "6:error:misspelt tag '<ANSWR>': did you mean <ANSWER>?",
          "8:error:misspelt end tag '</ANSWR>': the ANSWER block opened at line 6 ends only at",
          "9:error:'</ANSWER>' ends no block: no ANSWER block is open here",
          "10:error:'<FOO>' is no tag of a QUESTION block (it takes <ANSWER> and </QUESTION>)",
          "11:error:misspelt end tag '</QUESTIO>': the QUESTION block opened at line 4",
          "12:warning:2 lines outside any block (up to line 13) are ignored, the first: "
          "\"<QUESTON>\" (did you mean <QUESTION>?"}},
        // choices without answer, answers no choice reaches
        {"<QUESTION>\nname=Pick one\ntext=Red\ntext=Green\ntext=Blue\n<ANSWER>\ntype=Yes\n</ANSWER>\n"
         "<ANSWER>\ntype=1\n</ANSWER>\n<ANSWER>\nwarpts=1\n</ANSWER>\n<ANSWER>\ntype=4\n</ANSWER>\n"
         "<ANSWER>\ntype= 2\n</ANSWER>\n<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"5:warning:question 1 \"Pick one\": choice 3 \"Blue\" has no answer of type 3: choosing it",
          "6:warning:the answer of line 6 gives no points: choosing choice 1 \"Red\" adds nothing",
          "10:warning:the answer of line 6 comes first for choice 1",
          "12:warning:has no type=", "16:warning:\"4\" matches none of the shown choices",
          "19:warning:\" 2\"", "21:warning:line 21 gives no points"}},
        // texts the window may cut, and what it then shows: a letter of UTF-8 is one character,
        // a byte of no UTF-8 one too
        {"<QUESTION>\nname=" + std::string(311, 'q') + "\ntext=" + std::string(50, 'c') +
             "\ntext=" + std::string(51, 'c') + "\ntext=" + Repeat("\u00e9", 50) + "\ntext=" +
             Repeat("\u00e9", 51) + "\ntext=" + std::string(50, 'c') + "\x92\n</QUESTION>\n",
         {"2:warning:the question text has 311 characters: its box may not show it whole (310 fit",
          "3:warning:choice 1 \"c",
          "4:warning:choice 2 has 51 characters: its row may not show it whole (50 fit",
          "4:warning:choice 2 \"c", "5:warning:choice 3 \"\u00e9", "6:warning:choice 4 has 51 ",
          "6:warning:choice 4 \"\u00e9", "7:warning:choice 5 has 51 ", "7:warning:choice 5 \"c"}},
        // choices never shown, question without name or choices
        {many,
         {"11:warning:choice 9 \"C9\" is never shown", "12:warning:choice 10",
          "46:warning:\"9\" matches none",
          "50:warning:question 2 (no name): the question has no name=", "50:warning:no choices"}},
        // keys inside values
        {"<QUESTION>\nname=Which type=of hero?\nname=Enter your text here\nexplanationtext=Fast\ntext=Slow\n"
         "<ANSWER>\ntype=1 warpts=5\nbarbpts=3 trollpts=5\nexplanationtext=You say type=2\n"
         "answer explanationtext=ok\n</ANSWER>\n<ANSWER>\ntype=1\n</ANSWER>\n</QUESTION>\n",
         {"2:warning:question 1 \"Enter your text here\": key found inside a value: the line holds name=",
          "4:warning:explanationtext= is no key of a QUESTION block, but the text= inside it is",
          "7:warning:the warpts= in the value of type= is not read as a key",
          "8:warning:holds barbpts= and then trollpts=",
          "9:warning:holds explanationtext= and then type=",
          "9:warning:type= given again: it replaces the one of line 7",
          "12:warning:gives no points"}},
        // a line too long is reported where it starts, its rest too; later lines keep their
        // own numbers, the window's messages run ahead
        {"<QUESTION>\nname=" + std::string(1100, 'n') + "\noops\n</QUESTION>\n",
         {"1:warning:no choices",
          "2:warning:line of 1105 characters, more than the 511 a line may hold",
          "2:warning:the question text has 506", "2:error:from its character 512 on, \"nnn",
          "2:error:from its character 1023 on, \"nnnnn",
          "3:error:\"oops\" (the window says \"Undefined symbol found, line 5\")"}},
        // a zero byte ends a line's text (no matter in a comment); the window still
        // cuts the line at 511 bytes, so the "#" after them is a comment of its own
        {"#" + std::string(300, 'x') + '\0' + std::string(209, 'x') +
             "#\n<QUESTION>\nname=Vis\0ible\ntext=A\n<ANSWER>\ntype=1\nwarpts=5\0"
             "00\n</ANSWER>\n</QUESTION>\n"s,
         {"1:warning:line of 512 characters",
          "3:warning:question 1 \"Vis\": zero byte in the line: the window reads only \"name=Vis\"",
          "7:warning:reads only \"warpts=5\""}},
        // totals and scores that pass the 32-bit range, where they first do
        {twoChoices("warpts=2147483647\nclrpts=-2147483648\n", "barbpts=2000000000\n") +
             twoChoices("warpts=1\nclrpts=-1\n", "goodpts=2000000000\n"),
         {"1:warning:no name=", "14:warning:no name=",
          "19:warning:question 2 (no name): the highest Warrior total a player can reach (warpts=) "
          "comes to 2147483648 with this answer: past 2147483647 it wraps around, to -2147483648",
          "20:warning:the lowest Cleric total a player can reach (clrpts=) comes to -2147483649",
          "24:warning:Barbarian score a player can reach (barbpts= + goodpts= + bigracepts=)"}},
        // keys given twice, replaced blocks
        {"<SETTINGS>\npreference=classoverrace\npreference=other\n</SETTINGS>\n<SETTINGS>\n</SETTINGS>\n"
         "<QUESTION>\nname=A\nname=\ntext=X\ntext=X\n<ANSWER>\ntype=1\nwarpts=2\ntrollpts=\nwarpts=3\n</ANSWER>\n"
         "<ANSWER>\ntype=2\n</ANSWER>\n</QUESTION>\n",
         {"3:warning:preference= given again: it replaces the one of line 2",
          "5:warning:a second SETTINGS block replaces the one of line 1", "7:warning:no name=",
          "9:warning:name= given again with an empty value: it clears the one of line 8",
          "16:warning:warpts= given again: its value replaces the one of line 14",
          "18:warning:gives no points"}},
        // loads but is not what it seems
        {"<SETTINGS>\npreference= classoverrace\n</SETTINGS>\n<ANSWER>\ntype=1\n</ANSWER>\n<QUESTION>\nname=Q\n"
         "text=A\n<ANSWER>\ntype=1\ntrollpts=abc\nogrepts=5x\nhumanpts=-3\ngnomepts=99999999999\n</ANSWER>\n"
         "</QUESTION>\n",
         {"2:warning:starts with a blank",
          "4:warning:(up to line 6) are ignored, the first: \"<ANSWER>\" (an ANSWER block counts only",
          "12:warning:read as 0", "13:warning:read as 5", "15:warning:read as 2147483647"}},
        // a misspelt tag in any case; a point value after a tab is the number it reads as
        {"<QUESTION>\ntext=A\n<answr>\ntype=1\nwarpts=\t5\n</answr>\n</QUESTION>\n",
         {"1:warning:no name=", "3:error:misspelt tag '<answr>': did you mean <ANSWER>?",
          "6:error:misspelt end tag '</answr>'"}},
        // a key cut short, and the race without a key of its own
        {"<QUESTION>\ntext=A\n<ANSWER>\ntype=1\nexplanation=Hi\nhighelfpts=3\n</ANSWER>\n</QUESTION>\n",
         {"1:warning:no name=",
          "5:error:unknown key 'explanation=': did you mean 'explanationtext='? (the window says",
          "6:warning:key found inside a word: 'highelfpts=' is no key, but the helfpts= it ends in"}},
        // and a new author's words for a question's keys
        {"<QUESTION>\nhighelfpts=3\nQuestion=Who?\nchoice =A\n<ANSWER>\nchoice=1\n",
         {"1:warning:no name=", "1:warning:no choices",
          "2:error:unknown key 'highelfpts=' (High Elf has no key of its own: it gains only from",
          "3:error:unknown key 'Question=': did you mean 'name='? (the window says",
          "4:error:unknown key 'choice =': did you mean 'text='? (no blank",
          "6:error:unknown key 'choice=': did you mean 'text=', a key of a QUESTION block?",
          "6:error:the ANSWER block opened at line 5 has no </ANSWER>"}},
        // "text" is a choice written wrong only in a question: elsewhere the window says so
        {"<SETTINGS>\ntext\n</SETTINGS>\n<FINAL>\nTEXT=yes\n</FINAL>\n",
         {"1:warning:the script has no QUESTION block",
          "2:error:no key of a SETTINGS block: \"text\" (the window says \"Undefined symbol found",
          "5:error:FINAL block: unknown key 'TEXT=': it is a key of a QUESTION block, not of a FINAL"}},
        // an empty choice is none: the next is choice 1; quoted texts are cut past 48 characters
        {"<QUESTION>\nname=" + std::string(48, 'n') +
             "\ntext=\ntext=B\n</QUESTION>\n<QUESTION>\nname=" + std::string(49, 'm') +
             "\ntext=C\n</QUESTION>\n",
         {"4:warning:question 1 \"" + std::string(48, 'n') + "\": choice 1 \"B\" has no answer",
          "8:warning:question 2 \"" + std::string(48, 'm') + "...\": choice 1 \"C\""}},
        // a line over two buffers long: each piece is quoted from its own start
        {"<QUESTION>\nname=" + std::string(506, 'a') + std::string(511, 'b') +
             std::string(100, 'c') + "\n</QUESTION>\n",
         {"1:warning:no choices", "2:warning:its rest, from \"bbbb",
          "2:warning:the question text has 506", "2:error:from its character 512 on, \"bbbb",
          "2:error:from its character 1023 on, \"cccc"}},
        // a declared game: its refusals at their lines in the window's words, its keys (also
        // by its rows' names) the ones an answer is suggested (no note on the built-in High Elf);
        // its tags after the
        // first question are not read; rows no answer gives a point are named at the end
        {"<RACE>\nname=Saltborn\nkey=saltpts=\nwith=Wardn\n</RACE>\n<CLASS>\nname=Corsair\n"
         "key=corpts=\nnmae=x\n</CLASS>\n<QUESTION>\nname=Q\ntext=A\n<ANSWER>\ntype=1\n"
         "saltpt=3\ncorsairpts=1\nhighelfpts=2\n</ANSWER>\n</QUESTION>\n<TOTAL>\n",
         {"4:error:RACE block: No CLASS named Wardn (the window says \"No CLASS named Wardn, line 4\")",
          "9:error:CLASS block: unknown key 'nmae=': did you mean 'name='?",
          "16:error:unknown key 'saltpt=': did you mean 'saltpts='?",
          "17:error:unknown key 'corsairpts=': did you mean 'corpts='?",
          "18:error:question 1 \"Q\": unknown key 'highelfpts=' (the window says",
          "21:warning:line outside any block is ignored: \"<TOTAL>\"",
          "21:warning:<TOTAL> after the first question is not read: a game is declared before",
          "21:warning:no answer gives \"Saltborn\" or \"Corsair\" a point: their scores never"}},
        {"<SETTINGS>\n</RACE>\n",
         {"1:warning:the script has no QUESTION block", "2:error:misspelt end tag '</RACE>'"}},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script.substr(0, 80));
        const CheckResult result = CheckScript(script);
        std::vector<std::string> got;
        for (const auto& d : result.diagnostics) {
            got.push_back(std::to_string(d.line) +
                          (d.severity == CheckSeverity::Error ? ":error:" : ":warning:") + d.text);
        }
        EXPECT_EQ(got.size(), expected.size()) << ::testing::PrintToString(got);
        if (got.size() != expected.size()) continue;
        for (std::size_t i = 0; i < got.size(); ++i) {
            const std::string& want = expected[i];
            const std::size_t head = want.find(':', want.find(':') + 1) + 1;
            EXPECT_TRUE(got[i].starts_with(want.substr(0, head)) &&
                        got[i].find(want.substr(head), head) != std::string::npos)
                << got[i] << "\nlacks: " << want;
        }
    }
}

// Diagnostics go out as they are found, yet name the question by its last
// name=, also past what can be held for that; its verdict stays in line order.
TEST(ScriptCheck, QuestionWithManyProblemsIsNamedByItsLastName) {
    std::string script = "<QUESTION>\ntext=A\n";  // lines 1, 2
    for (int k = 0; k < 2000; ++k)
        script += k == 1000 ? "<ANSWER>\ntype=9\n</ANSWER>\n" : "name=n\n";
    const CheckResult result = CheckScript(script + "name=Last\n</QUESTION>\n");
    const auto& diagnostics = result.diagnostics;
    ASSERT_EQ(diagnostics.size(), 2001u);  // choice 1 unanswered, 1999 names given again
    EXPECT_EQ(result.warnings, 2001);      // each counted once, though read twice
    EXPECT_EQ(diagnostics[0].line, 2);
    EXPECT_TRUE(diagnostics[1000].line == 1004 &&
                diagnostics[1000].text.ends_with("(type 1 or yes)"));
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        EXPECT_TRUE(diagnostics[i].text.starts_with("question 1 \"Last\": ")) << i;
        EXPECT_LT(i > 0 ? diagnostics[i - 1].line : 0, diagnostics[i].line) << i;
    }
}

// Past the limit of a kind the rest are counted, not handed out: what goes
// out is the first of each kind in line order, the totals stay whole.
TEST(ScriptCheck, PastTheLimitOfAKindTheRestAreCounted) {
    const std::string pool[] = {
        "<QUESTION>", "name=Q",       "text=A",      "text=",  "<ANSWER>",  "type=1",
        "type=9",     "rogpt=1",      "warpts=x",    "junk",   "</ANSWER>", "</QUESTION>",
        "<SETTINGS>", "preference=x", "</SETTINGS>", "# note", "<FOO>"};
    std::mt19937 random(4711);
    for (int round = 0; round < 40; ++round) {
        std::string script;
        for (int n = 0; n < 300; ++n) script += pool[random() % std::size(pool)] + "\n";
        const CheckResult all = CheckScript(script);
        for (const std::int64_t perKind : {1, 4, 25}) {
            const CheckResult some = CheckScript(script, CheckOptions{perKind});
            std::map<std::string_view, std::int64_t> seen;
            std::map<std::string_view, std::tuple<std::int64_t, std::int64_t, std::int64_t>> left;
            std::vector<std::string> kept;
            for (const CheckDiagnostic& d : all.diagnostics) {
                if (++seen[d.kind] <= perKind) {
                    kept.push_back(std::to_string(d.line) + d.text);
                } else {
                    auto& [count, first, last] = left[d.kind];
                    if (count++ == 0) first = d.line;
                    last = d.line;
                }
            }
            std::vector<std::string> got;
            for (const CheckDiagnostic& d : some.diagnostics) {
                got.push_back(std::to_string(d.line) + d.text);
            }
            ASSERT_EQ(got, kept) << script;
            EXPECT_TRUE(some.errors == all.errors && some.warnings == all.warnings &&
                        some.questions == all.questions);
            std::map<std::string_view, std::tuple<std::int64_t, std::int64_t, std::int64_t>> told;
            for (const CheckOmitted& o : some.omitted) {
                told[o.kind] = {o.count, o.firstLine, o.lastLine};
            }
            EXPECT_EQ(told, left);
        }
    }
}

}  // namespace
