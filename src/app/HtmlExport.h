// Saving the results pane as an HTML page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window/Screen.h"
#include "window/WindowWords.h"

namespace kinpath {

class FileSystem;
class View;

// Appends tabCount tabs, the text and CR LF to out.
void WriteHtmlLine(std::string& out, const char* text, int tabCount);
// The whole page for the screen's pane lines.
std::string BuildHtmlPage(const Screen& screen);
struct ExportOutcome {
    bool saved = false;
    // The box to show: the page could not be written, or no viewer could be
    // started (it then says where the page is).
    std::optional<Box> notice;
    explicit operator bool() const { return saved; }
};
// Writes the screen's page as Kinpath.html in the working directory without
// ever destroying a good file, then hands it to the opener's viewer.
ExportOutcome ExportHtml(const Screen& screen, View& opener, FileSystem& files);
// The same on the system's files.
ExportOutcome ExportHtml(const Screen& screen, View& opener);

}  // namespace kinpath
