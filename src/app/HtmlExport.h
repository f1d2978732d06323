// Saving the results pane as an HTML page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window/Screen.h"
#include "window/WindowWords.h"

namespace kinpath {

class DisplayedPane;
class FileSystem;
class View;

// Appends tabCount tabs, the text and CR LF to out.
void WriteHtmlLine(std::string& out, const char* text, int tabCount);
// The whole page for the pane's current displayed lines.
std::string BuildHtmlPage(const DisplayedPane& pane);
struct ExportOutcome {
    bool saved = false;
    // The box to show: the page could not be written, or no viewer could be
    // started (it then says where the page is).
    std::optional<Box> notice;
    explicit operator bool() const { return saved; }
};
// Writes Kinpath.html in the working directory without ever destroying a good
// file, then hands it to the desktop's viewer.
ExportOutcome ExportHtml(View& view, FileSystem& files);
// The same on the system's files.
ExportOutcome ExportHtml(View& view);

}  // namespace kinpath
