#include "app/HtmlExport.h"

#include <array>
#include <filesystem>
#include <utility>

#include "platform/Files.h"
#include "platform/SafeSave.h"
#include "text/HtmlText.h"
#include "text/PathText.h"
#include "text/TextCodec.h"
#include "window/View.h"

namespace kinpath {

namespace {

// The page's fixed head: text and number of leading tabs.
struct FixedLine {
    const char* text;
    int tabs;
};

constexpr std::array<FixedLine, 11> PageHead = {{
    {"<html>", 0},
    {"<head>", 0},
    {"<title>Kinpath Results</title>", 0},
    {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">", 0},
    {"</head>", 0},
    {"<body bgcolor=\"#ffffff\" link=\"#800000\" vlink=\"#000080\" topmargin=\"0\" "
     "leftmargin=\"0\">",
     0},
    {"<font size=\"4\" face = \"Arial\">", 0},
    {"<b>", 1},
    {"Kinpath summary results<BR>", 2},
    {"</b>", 1},
    {"</font>", 0},
}};

// The pane's UTF-8 text as page text: markup characters escaped so the browser
// shows exactly what the pane shows, hidden controls as U+FFFD, Windows-1252
// bytes where they exist and numeric references for everything else. Browsers
// read the page's "iso-8859-1" label as Windows-1252, so a C1 control written
// as a reference would show as the code page's letter.
std::string PageText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = NextCodePoint(utf8, i);
        if (const std::string_view reference = HtmlReference(cp); !reference.empty()) {
            out += reference;
            continue;
        }
        if (IsHiddenControl(cp)) cp = ReplacementCharacter;
        int byte = Cp1252Byte(cp);
        if (byte >= 0) {
            out += static_cast<char>(byte);
        } else {
            out += "&#";
            out += std::to_string(static_cast<std::uint32_t>(cp));
            out += ';';
        }
    }
    return out;
}

}  // namespace

void WriteHtmlLine(std::string& out, const char* text, int tabCount) {
    for (int i = 0; i < tabCount; ++i) out += '\t';
    if (text != nullptr) out += text;
    out += "\r\n";
}

std::string BuildHtmlPage(const Screen& screen) {
    std::string page;
    page.reserve(1024 + screen.paneLines.size() * 40);
    for (const FixedLine& line : PageHead) WriteHtmlLine(page, line.text, line.tabs);
    for (const PaneLine& line : screen.paneLines) {
        WriteHtmlLine(page, line.text.empty() ? " " : PageText(line.text).c_str(), 2);
        WriteHtmlLine(page, "<br>", 0);
    }
    WriteHtmlLine(page, "</body>", 0);
    WriteHtmlLine(page, "</html>", 0);
    return page;
}

namespace {

// The saved page's path as box text: what is not UTF-8 and what would garble
// the box shows as U+FFFD.
std::string ShownPath(std::string_view path) {
    std::string shown;
    for (std::size_t i = 0; i < path.size();) {
        const char32_t cp = NextCodePoint(path, i);
        AppendUtf8(shown, IsHiddenControl(cp) ? ReplacementCharacter : cp);
    }
    return shown;
}

}  // namespace

ExportOutcome ExportHtml(const Screen& screen, View& opener) {
    SystemFiles files;
    return ExportHtml(screen, opener, files);
}

ExportOutcome ExportHtml(const Screen& screen, View& opener, FileSystem& files) {
    std::string page = BuildHtmlPage(screen);
    // Saved by its name in the working folder, however deep that is; the
    // viewer gets the whole path.
    if (!SaveFile(files, HtmlFileName, page)) {
        return {false,
                Box{BoxOwner::Dialog, "Could not write Kinpath.html", "Error", BoxButtons::Ok}};
    }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    // The path as the system spells it (see PathText), so that the viewer
    // opens the very file written.
    const std::string path =
        Utf8FromPath(ec ? std::filesystem::path(HtmlFileName) : folder / HtmlFileName);
    if (!opener.OpenFile(path)) {
        return {true,
                Box{BoxOwner::Dialog,
                    "Could not open Kinpath.html in a viewer. It was saved as:\n" + ShownPath(path),
                    "Error", BoxButtons::Ok}};
    }
    return {true, std::nullopt};
}

}  // namespace kinpath
