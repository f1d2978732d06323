// Saving the pane as Kinpath.html: the page's exact bytes, where it goes, and
// what a failed save says (the save's own cases: tests/platform/).
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FailingFiles.h"
#include "TestSupport.h"
#include "app/HtmlExport.h"
#include "flow/Transcript.h"
#include "text/PathText.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

// The page for the given pane lines, each as written to the file.
std::string Page(std::initializer_list<std::string> lines) {
    std::string page =
        "<html>\r\n<head>\r\n<title>Kinpath Results</title>\r\n<meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=iso-8859-1\">\r\n</head>\r\n<body bgcolor=\"#ffffff\" "
        "link=\"#800000\" vlink=\"#000080\" topmargin=\"0\" leftmargin=\"0\">\r\n<font size=\"4\" "
        "face = \"Arial\">\r\n\t<b>\r\n\t\tKinpath summary results<BR>\r\n\t</b>\r\n</font>\r\n";
    for (const std::string& line : lines) page += "\t\t" + line + "\r\n<br>\r\n";
    return page + "</body>\r\n</html>\r\n";
}

class HtmlExportTest : public ProgramTest {
protected:
    // Saves the screen (the one shown unless another is given) as the HTML
    // button does, showing the box it brings.
    ExportOutcome Save(FileSystem* files = nullptr) {
        const Screen& shown = screen ? *screen : dialog.driver.Shown();
        ExportOutcome outcome =
            files ? ExportHtml(shown, dialog, *files) : ExportHtml(shown, dialog);
        if (outcome.notice) dialog.boxes.push_back(*outcome.notice);
        return outcome;
    }
    Transcript pane;
    std::optional<Screen> screen;
};

// Each line escaped and in Windows-1252 (the codec's own cases: tests/text/),
// control characters but tab as U+FFFD, an empty line as a blank.
TEST_F(HtmlExportTest, TextIsEscapedAndWrittenInWindows1252) {
    EXPECT_EQ(BuildHtmlPage(dialog.driver.Shown()), Page({" "}));
    screen.emplace().paneLines = UnwrappedLines(
        "a & \"<i>\r\n\r\ncaf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5\r\n\xC2\x9F\x01\x7F\x1B\t." +
        std::string(5000, 'x'));
    EXPECT_EQ(BuildHtmlPage(*screen),
              Page({"a &amp; &quot;&lt;i&gt;", " ", "caf\xE9 \x80 &#26085;",
                    "&#65533;&#65533;&#65533;&#65533;\t." + std::string(5000, 'x')}));
}

TEST_F(HtmlExportTest, ThePageIsSavedHereAndShownByItsAbsolutePath) {
    ASSERT_TRUE(Start("<QUESTION>\nname=Q\ntext=A\n</QUESTION>\n"));
    // In the working folder; the viewer gets its absolute path, as UTF-8 in any folder.
    const fs::path here = fs::current_path();
    const std::string folder = "Zo\xC3\xAB \xE6\x97\xA5";
    fs::create_directory(PathFromUtf8(folder));
    fs::current_path(PathFromUtf8(folder));
    ASSERT_TRUE(Save());
    fs::current_path(here);
    EXPECT_EQ(ReadFile(folder + "/" + HtmlFileName),
              Page({"Answer the questions.", "Skip any that you don't want to answer.",
                    "At the end you will be given the answer!", " "}));
    EXPECT_EQ(dialog.openedFiles,
              std::vector{Utf8FromPath(here / PathFromUtf8(folder) / HtmlFileName)});
    fs::remove_all(PathFromUtf8(folder));
#ifndef _WIN32
    // Where names are bytes, the viewer gets the page's own; a box shows them
    // readably when no viewer starts.
    fs::create_directory("\xFF\x1B");
    fs::current_path("\xFF\x1B");
    dialog.viewerStarts = false;
    ASSERT_TRUE(Save());
    fs::current_path(here);
    EXPECT_EQ(dialog.openedFiles.back(), here.string() + "/\xFF\x1B/" + HtmlFileName);
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(std::tuple(dialog.boxes[0].text, dialog.boxes[0].caption),
              std::tuple("Could not open Kinpath.html in a viewer. It was saved as:\n" +
                             here.string() + "/\uFFFD\uFFFD/" + HtmlFileName,
                         "Error"));
#endif
}

TEST_F(HtmlExportTest, FailedSavesKeepWhatWasThereAndCanBeRetried) {
    // A pane at capacity.
    for (int i = 0; pane.Length() < TranscriptCapacity; ++i)
        AppendTranscriptLine(pane, "line " + std::to_string(i) + " <&>");
    screen.emplace().paneLines = UnwrappedLines(pane.Text());
    std::ofstream(Dir() / HtmlFileName, std::ios::binary) << "old page\r\n";
    // A disk that fills up in the page (how a save fails: tests/platform/).
    FailingFiles full;
    full.room = 4096;
    EXPECT_FALSE(Save(&full));
#ifdef _WIN32
    const std::size_t FailedSaves = 1;
#else
    const std::size_t FailedSaves = 2;
    // A real file size limit fails the write instead of ending the program.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{4096, old.rlim_max};
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(std::signal(SIGXFSZ, SIG_DFL), SIG_DFL);  // and leaves it as it was
#endif
    EXPECT_EQ(ReadFile(HtmlFileName), "old page\r\n");

    EXPECT_EQ(dialog.boxes,
              std::vector<RecordedBox>(
                  FailedSaves, {BoxOwner::Dialog, "Could not write Kinpath.html", "Error"}));
    EXPECT_TRUE(dialog.openedFiles.empty());
    dialog.boxes.clear();
    Save();  // with room again the same button works
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(dialog.openedFiles.size(), 1u);
    EXPECT_EQ(ReadFile(HtmlFileName), BuildHtmlPage(*screen));
}

#ifndef _WIN32
TEST_F(HtmlExportTest, AFolderDeeperThanThePathLimitIsSavedInto) {
    const std::string level(200, 'd');
    int depth = 0;
    for (; fs::current_path().native().size() <= 4096; ++depth) {
        fs::create_directory(level);
        fs::current_path(level);
    }
    EXPECT_TRUE(Save());
    std::ifstream in(HtmlFileName, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator(in), {}), BuildHtmlPage(dialog.driver.Shown()));
    EXPECT_EQ(dialog.openedFiles, std::vector{(fs::current_path() / HtmlFileName).string()});
    fs::remove(HtmlFileName);
    for (; depth > 0; --depth) {
        fs::current_path("..");
        fs::remove(level);
    }
}

#endif

}  // namespace
}  // namespace kinpath::testing
