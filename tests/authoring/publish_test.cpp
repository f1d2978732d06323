// Publishing a script into the page without a script.
#include <sstream>

#include "TestSupport.h"
#include "authoring/Publish.h"

namespace kinpath::testing {
namespace {

// The parts of the page that publishing changes, around a stand-in for the rest.
const std::string Page =
    "<meta content=\"default-src 'none'; connect-src 'self'\">\n"
    "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>\n<p>rest</p>\n";

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

TEST(Publish, TheScriptsBytesRideInTheSlotAndTheNetworkIsClosed) {
    for (const std::string& script :
         {std::string(), std::string("a"), std::string("ab"), std::string("<b>\r\n</script>"),
          std::string("\0\xff\x80<QUESTION>", 14)}) {
        const std::optional<std::string> page = PublishedPage(Page, script);
        ASSERT_TRUE(page);
        const std::string open = "id=\"kinpath-script\">";
        const std::size_t begin = page->find(open) + open.size();
        const std::string slot = page->substr(begin, page->find("</script>", begin) - begin);
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

class PublishRun : public ProgramTest {
protected:
    int Publish(const std::string& script, const std::string& output = "") {
        out.str("");
        err.str("");
        WriteScript(Page, "page.html");
        return RunPublish({script, output, "page.html"}, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(PublishRun, WarningsAreShownErrorsRefusedAndTheResultsNameNeverTaken) {
    WriteScript("<QUESTION>\nname=Warned\ntext=a\n</QUESTION>\n", "quiz.txt");
    EXPECT_EQ(Publish("quiz.txt"), 0);
    EXPECT_NE(err.str().find("quiz.txt:3: warning: "), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "quiz.html: " + std::to_string(ReadFile("quiz.html").size()) +
                             " bytes, 1 question\n");
    EXPECT_NE(ReadFile("quiz.html").find(R"(id="kinpath-script">PFFVRVNUSU9OPg)"),
              std::string::npos);

    WriteScript("<QUESTION>\nbroken\n</QUESTION>\n", "bad.txt");
    EXPECT_EQ(Publish("bad.txt", "bad-page.html"), 1);
    EXPECT_NE(err.str().find("bad.txt:2: error: "), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(Dir() / "bad-page.html"));

    // The saved results' name, in any case, and the script itself stay untouched.
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n", "Kinpath.TXT");
    WriteScript("<QUESTION>\nname=Q\n</QUESTION>\n", "quiz.html");
    for (const auto& [script, output] :
         {std::pair{"Kinpath.TXT", ""}, {"quiz.txt", "KINPATH.html"}, {"quiz.html", ""}}) {
        EXPECT_EQ(Publish(script, output), 2) << script;
        EXPECT_FALSE(std::filesystem::exists(Dir() / "Kinpath.html"));
    }
    EXPECT_EQ(ReadFile("quiz.html"), "<QUESTION>\nname=Q\n</QUESTION>\n");
}

}  // namespace
}  // namespace kinpath::testing
