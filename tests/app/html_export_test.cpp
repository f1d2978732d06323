// Saving the pane as Kinpath.html: the page's exact bytes, and an old page that
// survives a failed save (the save's own cases: tests/platform/).
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include "FailingFiles.h"
#include "TestSupport.h"
#include "app/HtmlExport.h"
#include "app/MainDialog.h"
#include "flow/Transcript.h"
#include "platform/Files.h"
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

// The number of entries in the folder, to see that no temporary is left.
auto Entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), {}); }

class HtmlExportTest : public ProgramTest {
protected:
    // Lines written into the pane, as the report writes them.
    void Append(const std::string& line) {
        AppendTranscriptLine(pane, line);
        dialog.DrawPane(pane.Text());
    }
    // Saves as the HTML button does, showing the box it brings.
    ExportOutcome Save(FileSystem* files = nullptr) {
        ExportOutcome outcome = files ? ExportHtml(dialog, *files) : ExportHtml(dialog);
        if (outcome.notice) dialog.boxes.push_back(*outcome.notice);
        return outcome;
    }
    Transcript pane;
};

TEST_F(HtmlExportTest, TextIsEscapedAndWrittenInWindows1252) {
    EXPECT_EQ(BuildHtmlPage(dialog), Page({" "}));  // an empty pane is one blank line
    std::string longLine;
    for (int i = 0; i < 300; ++i) longLine += "\xC3\xA9";
    dialog.DrawPane(
        "a & b <i>\"x\"</i> it's\r\n\r\n"
        "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8 \xC2\xA0 \xC2\xBF\r\n"  // café € Ÿ nbsp ¿
        "\xE6\x97\xA5 \xF0\x9F\x98\x80 \xC4\x80\r\n"               // 日 😀 Ā
        "\xC2\x80 \xC2\x81 \xC2\x9F \x01\x1F~\x7F\r\x1B\t.\r\n" +  // controls but tab: U+FFFD
        longLine);
    EXPECT_EQ(BuildHtmlPage(dialog),
              Page({"a &amp; b &lt;i&gt;&quot;x&quot;&lt;/i&gt; it's", " ",
                    "caf\xE9 \x80 \x9F \xA0 \xBF", "&#26085; &#128512; &#256;",
                    "&#65533; &#65533; &#65533; &#65533;&#65533;~&#65533;&#65533;&#65533;\t.",
                    std::string(300, '\xE9')}));  // a long line is carried whole
}

TEST_F(HtmlExportTest, PageIsExactAndSavingAgainKeepsPermissionsAndLinks) {
    ASSERT_TRUE(Start("<QUESTION>\nname=Q\ntext=A\n</QUESTION>\n"));
#ifndef _WIN32
    const mode_t mask = ::umask(027);  // an unusual umask shows where new permissions come from
    Save();
    ::umask(mask);
    EXPECT_EQ(fs::status(Dir() / HtmlFileName).permissions(), static_cast<fs::perms>(0640));
#else
    Save();
#endif
    EXPECT_EQ(ReadFile(HtmlFileName),
              Page({"Answer the questions.", "Skip any that you don't want to answer.",
                    "At the end you will be given the answer!", " "}));
    // The viewer gets the page's absolute path, as UTF-8 in any folder.
    const fs::path here = fs::current_path();
    const std::string folder = "Zo\xC3\xAB \xE6\x97\xA5";
    fs::create_directory(PathFromUtf8(folder));
    fs::current_path(PathFromUtf8(folder));
    ASSERT_TRUE(Save());
    fs::current_path(here);
    EXPECT_EQ(dialog.openedFiles,
              (std::vector{Utf8FromPath(here / HtmlFileName),
                           Utf8FromPath(here / PathFromUtf8(folder) / HtmlFileName)}));
    EXPECT_EQ(ReadFile(folder + "/" + HtmlFileName), ReadFile(HtmlFileName));
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
    fs::remove_all("\xFF\x1B");
    dialog.viewerStarts = true;
    dialog.openedFiles.pop_back();
#endif

#ifndef _WIN32  // permissions and links as POSIX has them
    fs::permissions(Dir() / HtmlFileName, static_cast<fs::perms>(0604));
    Append("second");
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadFile(HtmlFileName), Page({"second", " "}));
    EXPECT_EQ(fs::status(Dir() / HtmlFileName).permissions(), static_cast<fs::perms>(0604));
    EXPECT_EQ(Entries(Dir()), 2);  // script.txt and the page

    // A link to the page stays a link; the page it points at is replaced.
    fs::rename(Dir() / HtmlFileName, Dir() / "kept.html");
    fs::create_symlink("kept.html", Dir() / HtmlFileName);
    Append("third");
    ASSERT_TRUE(Save());
    EXPECT_TRUE(fs::is_symlink(Dir() / HtmlFileName));
    EXPECT_EQ(ReadFile("kept.html"), Page({"second", "third", " "}));
    EXPECT_EQ(dialog.openedFiles.size(), 4u);
#endif
}

TEST_F(HtmlExportTest, FailedSavesKeepWhatWasThereAndCanBeRetried) {
    // A pane at capacity.
    for (int i = 0; pane.Length() < TranscriptCapacity; ++i)
        AppendTranscriptLine(pane, "line " + std::to_string(i) + " <&>");
    dialog.DrawPane(pane.Text());
    const std::string pane = dialog.PaneText();
    // A file cannot replace a folder, whoever runs the test.
    fs::create_directory(Dir() / HtmlFileName);
    std::ofstream(Dir() / HtmlFileName / "inside") << "keep";
    EXPECT_FALSE(Save());
    EXPECT_EQ(ReadFile(std::string(HtmlFileName) + "/inside"), "keep");
    EXPECT_EQ(Entries(Dir()), 1);
    fs::remove_all(Dir() / HtmlFileName);
    std::ofstream(Dir() / HtmlFileName, std::ios::binary) << "old page\r\n";
    // A disk that fills up anywhere in the page, also when the page is written
    // in place.
    for (const bool inPlace : {false, true}) {
        for (const std::uint64_t room : {0, 1, 4096, 40000}) {
            FailingFiles full;
            full.room = room;
            full.foreignOwner = inPlace;
            EXPECT_FALSE(Save(&full)) << room;
        }
    }
#ifdef _WIN32
    const std::size_t FailedSaves = 9;
#else
    const std::size_t FailedSaves = 10;
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
    EXPECT_EQ(Entries(Dir()), 1);

    EXPECT_EQ(dialog.boxes.size(), FailedSaves);
    for (const RecordedBox& box : dialog.boxes)
        EXPECT_EQ(std::tuple(box.owner, box.text, box.caption),
                  std::tuple(BoxOwner::Dialog, "Could not write Kinpath.html", "Error"));
    EXPECT_TRUE(dialog.openedFiles.empty());
    EXPECT_EQ(dialog.PaneText(), pane);
    dialog.boxes.clear();
    Save();  // with room again the same button works
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(dialog.openedFiles.size(), 1u);
    EXPECT_EQ(ReadFile(HtmlFileName), BuildHtmlPage(dialog));
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
    EXPECT_EQ(std::string(std::istreambuf_iterator(in), {}), BuildHtmlPage(dialog));
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
