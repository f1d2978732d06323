// Publishing a script into the page without a script.
#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "authoring/publish/Publish.h"
#include "platform/Files.h"
#include "text/PathText.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

// The parts of the page that publishing changes, around a stand-in for the rest.
const std::string Page =
    "<meta content=\"default-src 'none'; connect-src 'self'\">\n"
    "<title>Kinpath Race and Class chooser</title>\n"
    "<h1 class=\"caption\" id=\"caption\">Kinpath Race and Class chooser</h1>\n"
    "<section id=\"opening\" hidden><h1 id=\"opening-title\"></h1><div id=\"opening-about\"></div>\n"
    "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>\n<p>rest</p>\n";

const std::string OneQuestion = "<QUESTION>\nname=Q\ntext=A\n</QUESTION>\n";

std::string Unbase64(std::string_view text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        group = group << 6 | static_cast<std::uint32_t>(digits.find(c));
        if ((bits += 6) >= 8) bytes += static_cast<char>(group >> (bits -= 8));
    }
    return bytes;
}

// What stands between open and the next close in text.
std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t begin = text.find(open);
    if (begin == text.npos) return "(none)";
    return text.substr(begin + open.size(), text.find(close, begin) - begin - open.size());
}

TEST(Publish, TheScriptsBytesRideInTheMarkedSlotAndTheNetworkIsClosed) {
    for (const std::string& script :
         {std::string(), std::string("a"), std::string("ab"), std::string("<b>\r\n</script>"),
          std::string("\0\xff\x80<QUESTION>", 14)}) {
        const std::optional<std::string> page = PublishedPage(Page, script);
        ASSERT_TRUE(page);
        // Marked as holding a script, an empty one too.
        const std::string slot =
            Between(*page, "id=\"kinpath-script\" data-embedded>", "</script>");
        EXPECT_EQ(slot.size() % 4, 0u);
        EXPECT_EQ(Unbase64(slot), script);
        EXPECT_EQ(page->substr(0, page->find('\n')), "<meta content=\"default-src 'none'\">");
        EXPECT_TRUE(page->ends_with("</script>\n<p>rest</p>\n"));
    }
    // Not the page without a script: a published one, or anything else.
    EXPECT_FALSE(PublishedPage(*PublishedPage(Page, "x"), "y"));
    EXPECT_FALSE(PublishedPage(Page + Page, "y"));
    EXPECT_FALSE(PublishedPage("<html></html>", "y"));
}

TEST(Publish, TheTitleIsTextNeverMarkup) {
    const std::pair<std::string, std::string> titles[] = {
        {"", "Kinpath Race and Class chooser"},  // the page's own
        {"Quiz & <script>alert(1)</script> \"x\"",
         "Quiz &amp; &lt;script&gt;alert(1)&lt;/script&gt; &quot;x&quot;"},
        {"Caf\xE9\x1B[31m", "Caf\xC3\xA9\xEF\xBF\xBD[31m"},  // Windows-1252, a control
        {"\xC3\xA9\xE2\x80\xAE", "\xC3\xA9\xE2\x80\xAE"}};   // UTF-8 as it is
    for (const auto& [title, shown] : titles) {
        const std::string page = *PublishedPage(Page, OneQuestion, title);
        EXPECT_EQ(Between(page, "<title>", "</title>"), shown) << title;
        EXPECT_EQ(Between(page, "id=\"caption\">", "</h1>"), shown) << title;
        EXPECT_EQ(Between(page, "id=\"opening-title\">", "</h1>"), shown) << title;
        EXPECT_EQ(Unbase64(Between(page, "data-embedded>", "</script>")), OneQuestion);
    }
}

// The opening paints before the program runs: the script's length and its
// greeting; a script of no question, straight to its results, has none.
TEST(Publish, TheOpeningSaysTheLengthAndTheGreeting) {
    const std::string page = *PublishedPage(Page, OneQuestion);
    EXPECT_EQ(Between(page, "<section id=\"opening\" ", ">"), "data-filled");
    EXPECT_EQ(Between(page, "id=\"opening-about\">", "</p><p>Skip"),
              "<p>1 question</p><p>Answer the questions.");
    EXPECT_EQ(Between(*PublishedPage(Page, ""), "<section id=\"opening\" ", ">"), "hidden");
}

class PublishRun : public ProgramTest {
protected:
    PublishOutcome Run(const std::string& script, const std::string& output = "") {
        diagnostics.clear();
        WriteScript(Page, "page.html");
        SystemFiles files;
        return Publish({script, output, {Utf8FromPath(Dir() / "page.html")}, ""}, files,
                       [&](const CheckDiagnostic& d) { diagnostics.push_back(d); });
    }
    std::vector<CheckDiagnostic> diagnostics;
};

TEST_F(PublishRun, WarningsAreShownErrorsRefusedAndNamesNeverTaken) {
    WriteScript("<QUESTION>\nname=Warned\ntext=a\n</QUESTION>\n", "quiz.txt");
    PublishOutcome outcome = Run("quiz.txt");
    EXPECT_EQ(outcome.status, PublishStatus::Written);
    ASSERT_FALSE(diagnostics.empty());
    EXPECT_EQ(std::tuple(diagnostics[0].line, diagnostics[0].severity),
              std::tuple(3, CheckSeverity::Warning));
    EXPECT_EQ(std::tuple(outcome.output, outcome.bytes, outcome.check.questions),
              std::tuple("quiz.html", ReadFile("quiz.html").size(), 1));
    EXPECT_TRUE(Has(ReadFile("quiz.html"), R"(id="kinpath-script" data-embedded>PFFVRVNUSU9OPg)"));

    WriteScript("<QUESTION>\nbroken\n</QUESTION>\n", "bad.txt");
    outcome = Run("bad.txt", "bad-page.html");
    EXPECT_EQ(std::tuple(outcome.status, outcome.check.errors),
              std::tuple(PublishStatus::ScriptHasErrors, 1));
    EXPECT_TRUE(std::any_of(diagnostics.begin(), diagnostics.end(), [](const auto& d) {
        return d.line == 2 && d.severity == CheckSeverity::Error;
    }));
    EXPECT_FALSE(fs::exists(Dir() / "bad-page.html"));

    // The saved results' name in any case, the script itself, and the page
    // without a script (also by another path to its folder) stay untouched;
    // Windows stores a name without its trailing dots and blanks.
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n", "Kinpath.TXT");
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n", "quiz.html");
    fs::create_directory("sub");
    std::vector<std::pair<std::string, std::string>> refused = {{"Kinpath.TXT", ""},
                                                                {"quiz.txt", "KINPATH.html"},
                                                                {"quiz.html", ""},
                                                                {"quiz.txt", "page.html"},
                                                                {"quiz.txt", "sub/../page.html"}};
#ifdef _WIN32
    for (const char* name : {"Kinpath.html.", "Kinpath.html ", "page.html."})
        refused.emplace_back("quiz.txt", name);
    refused.emplace_back("quiz.html", "quiz.html. .");
#endif
    for (const auto& [script, output] : refused) {
        EXPECT_EQ(Run(script, output).status, PublishStatus::NameRefused) << output;
        EXPECT_FALSE(fs::exists(Dir() / "Kinpath.html"));
        EXPECT_TRUE(diagnostics.empty());  // refused before anything was read
    }
    EXPECT_EQ(ReadFile("quiz.html"), "<QUESTION>\nname=Q\n</QUESTION>\n");
    EXPECT_EQ(ReadFile("page.html"), Page);
    // Nor where the page is looked for first, though it is not there yet.
    SystemFiles files;
    fs::create_directory("prog");
    const std::vector<std::string> pages = {Utf8FromPath(Dir() / "prog" / "kinpath-page.html"),
                                            Utf8FromPath(Dir() / "page.html")};
    EXPECT_EQ(Publish({"quiz.txt", "prog/kinpath-page.html", pages, ""}, files, {}).status,
              PublishStatus::NameRefused);
    EXPECT_FALSE(fs::exists(Dir() / "prog" / "kinpath-page.html"));
    // The same name in another folder is a page like any other.
    EXPECT_EQ(Run("quiz.txt", "sub/page.html").status, PublishStatus::Written);
    // The saved results by another name: a hard link, a link from another
    // folder and, under Wine, the short name Windows gives it.
    WriteScript("results", "Kinpath.html");
    fs::create_hard_link("Kinpath.html", "hard.html");
#ifndef _WIN32
    fs::create_symlink("../Kinpath.html", "sub/res.html");
#endif
    for (const char* name : {"hard.html", "sub/res.html", "KINP~L1D.HTM"}) {
        if (!fs::exists(Dir() / name)) continue;
        EXPECT_EQ(Run("quiz.txt", name).status, PublishStatus::NameRefused) << name;
    }
    EXPECT_EQ(ReadFile("Kinpath.html"), "results");
}

TEST_F(PublishRun, AnEmptyScriptIsAScriptAndNoPageIsNoPage) {
    WriteScript("", "empty.txt");
    EXPECT_EQ(Run("empty.txt").status, PublishStatus::Written);
    EXPECT_TRUE(Has(ReadFile("empty.html"), "data-embedded></script>"));
    SystemFiles files;
    const PublishOutcome missing = Publish({"empty.txt", "", {"none.html"}, ""}, files, {});
    EXPECT_EQ(missing.status, PublishStatus::PageNotFound);
    const PublishOutcome unread = Run("none.txt");
    EXPECT_EQ(std::tuple(unread.status, unread.scriptFailure.failure),
              std::tuple(PublishStatus::ScriptUnreadable, ReadFailure::CannotOpen));
    // A script's own game titles its page.
    WriteScript("<GAME>\ntitle=Ember <Coast>\n</GAME>\n<RACE>\nname=A\n</RACE>\n", "game.txt");
    EXPECT_EQ(Run("game.txt").status, PublishStatus::Written);
    EXPECT_TRUE(Has(ReadFile("game.html"), "<title>Ember &lt;Coast&gt;</title>"));
}

}  // namespace
}  // namespace kinpath::testing
