#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "HeadlessDialog.h"
#include "TestSupport.h"
#include "flow/Transcript.h"
#include "app/HtmlExport.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

const std::string PageHead =
    "<html>\r\n"
    "<head>\r\n"
    "<title>Kinpath Results</title>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
    "</head>\r\n"
    "<body bgcolor=\"#ffffff\" link=\"#800000\" vlink=\"#000080\" topmargin=\"0\" "
    "leftmargin=\"0\">\r\n"
    "<font size=\"4\" face = \"Arial\">\r\n"
    "\t<b>\r\n"
    "\t\tKinpath summary results<BR>\r\n"
    "\t</b>\r\n"
    "</font>\r\n";
const std::string PageTail = "</body>\r\n</html>\r\n";

// The page body for the given file lines (each followed by its <br> line).
std::string Body(std::initializer_list<std::string> lines) {
    std::string body;
    for (const std::string& line : lines) body += "\t\t" + line + "\r\n<br>\r\n";
    return body;
}

std::vector<std::string> FolderEntries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class HtmlExportTest : public ProgramTest {
protected:
    void Greet() {
        AppendTranscriptLine(dialog, "Answer the questions.");
        AppendTranscriptLine(dialog, "Skip any that you don't want to answer.");
        AppendTranscriptLine(dialog, "At the end you will be given the answer!");
    }
    void ExpectErrorBoxOnly() {
        ASSERT_EQ(dialog.boxes.size(), 1u);
        EXPECT_EQ(dialog.boxes[0].owner, BoxOwner::Dialog);
        EXPECT_EQ(dialog.boxes[0].text, "Could not write Kinpath.html");
        EXPECT_EQ(dialog.boxes[0].caption, "Error");
        EXPECT_EQ(dialog.boxes[0].buttons, BoxButtons::Ok);
        EXPECT_TRUE(dialog.openedFiles.empty());
    }
    void WriteOldPage(const std::string& bytes) {
        std::ofstream(Dir() / HtmlFileName, std::ios::binary) << bytes;
    }

    HeadlessDialog dialog;
};

TEST_F(HtmlExportTest, GreetingPageIsExactAndOpened) {
    Greet();
    ASSERT_TRUE(ExportHtml(dialog));

    std::string expected = PageHead +
                           Body({"Answer the questions.", "Skip any that you don't want to answer.",
                                 "At the end you will be given the answer!", " "}) +
                           PageTail;
    std::string page = ReadFile(HtmlFileName);
    EXPECT_EQ(page, expected);
    // 21 lines, every break CR LF, nothing before <html> or after the last break.
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 21);
    EXPECT_EQ(std::count(page.begin(), page.end(), '\r'), 21);
    EXPECT_EQ(page.find("\r\n\r\n"), std::string::npos);

    ASSERT_EQ(dialog.openedFiles.size(), 1u);
    EXPECT_TRUE(fs::path(dialog.openedFiles[0]).is_absolute());
    EXPECT_TRUE(fs::equivalent(dialog.openedFiles[0], Dir() / HtmlFileName));
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(BuildHtmlPage(dialog), expected);
}

TEST_F(HtmlExportTest, EmptyPaneIsOneBlankLine) {
    EXPECT_EQ(BuildHtmlPage(dialog), PageHead + Body({" "}) + PageTail);
}

TEST_F(HtmlExportTest, TextIsEscapedAndWrittenInWindows1252) {
    dialog.SetPaneText(
        "a & b <i>\"x\"</i> it's\r\n"
        "\r\n"
        "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8\r\n"         // café € Ÿ
        "\xE6\x97\xA5 \xF0\x9F\x98\x80 \xC4\x80\r\n"    // 日 😀 Ā
        "\xC3\xBF starts with y-umlaut\r\n");
    std::string expected =
        PageHead +
        Body({"a &amp; b &lt;i&gt;&quot;x&quot;&lt;/i&gt; it's", " ", "caf\xE9 \x80 \x9F",
              "&#26085; &#128512; &#256;", "\xFF starts with y-umlaut", " "}) +
        PageTail;
    EXPECT_EQ(BuildHtmlPage(dialog), expected);
}

TEST_F(HtmlExportTest, LongLinesContributeTheirFirst255Characters) {
    // Characters, not bytes: a two-byte character still counts once.
    dialog.SetPaneText(std::string(300, 'x') + "\r\n" + [] {
        std::string s;
        for (int i = 0; i < 300; ++i) s += "\xC3\xA9";
        return s;
    }());
    EXPECT_EQ(BuildHtmlPage(dialog),
              PageHead + Body({std::string(255, 'x'), std::string(255, '\xE9')}) + PageTail);
}

TEST_F(HtmlExportTest, ExportingAgainReplacesThePageAndKeepsItsPermissions) {
    Greet();
    ASSERT_TRUE(ExportHtml(dialog));
    mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(fs::status(Dir() / HtmlFileName).permissions(),
              static_cast<fs::perms>(0666 & ~mask));

    fs::permissions(Dir() / HtmlFileName, static_cast<fs::perms>(0640));
    ClearTranscript(dialog);
    AppendTranscriptLine(dialog, "second");
    ASSERT_TRUE(ExportHtml(dialog));

    EXPECT_EQ(ReadFile(HtmlFileName), PageHead + Body({"second", " "}) + PageTail);
    EXPECT_EQ(fs::status(Dir() / HtmlFileName).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(dialog.openedFiles.size(), 2u);
    // No temporary file is left behind.
    EXPECT_EQ(FolderEntries(Dir()), std::vector<std::string>{HtmlFileName});
}

TEST_F(HtmlExportTest, LinkedPageIsWrittenThroughTheLink) {
    WriteOldPage("old");
    fs::rename(Dir() / HtmlFileName, Dir() / "kept.html");
    fs::create_symlink("kept.html", Dir() / HtmlFileName);
    Greet();
    ASSERT_TRUE(ExportHtml(dialog));
    EXPECT_TRUE(fs::is_symlink(Dir() / HtmlFileName));
    EXPECT_EQ(ReadFile("kept.html"), BuildHtmlPage(dialog));
}

TEST_F(HtmlExportTest, FolderInTheWayFailsWithABox) {
    // Fails for every user, root included: a file cannot replace a folder.
    fs::create_directory(Dir() / HtmlFileName);
    std::ofstream(Dir() / HtmlFileName / "inside") << "keep";
    Greet();
    EXPECT_FALSE(ExportHtml(dialog));
    ExpectErrorBoxOnly();
    EXPECT_TRUE(fs::is_directory(Dir() / HtmlFileName));
    EXPECT_EQ(ReadFile(std::string(HtmlFileName) + "/inside"), "keep");
    EXPECT_EQ(FolderEntries(Dir()), std::vector<std::string>{HtmlFileName});
}

TEST_F(HtmlExportTest, FailedWriteKeepsTheOldPage) {
    WriteOldPage("old page\r\n");
    Greet();
    // A file size limit below the page's size makes the write itself fail,
    // whoever runs the test.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool exported = ExportHtml(dialog);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(exported);
    ExpectErrorBoxOnly();
    EXPECT_EQ(ReadFile(HtmlFileName), "old page\r\n");
    EXPECT_EQ(FolderEntries(Dir()), std::vector<std::string>{HtmlFileName});
}

TEST_F(HtmlExportTest, ReadOnlyFolderKeepsTheOldPage) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    WriteOldPage("old page\r\n");
    fs::permissions(Dir(), static_cast<fs::perms>(0555));
    Greet();
    bool exported = ExportHtml(dialog);
    fs::permissions(Dir(), static_cast<fs::perms>(0755));
    EXPECT_FALSE(exported);
    ExpectErrorBoxOnly();
    EXPECT_EQ(ReadFile(HtmlFileName), "old page\r\n");
}

}  // namespace
}  // namespace kinpath::testing
