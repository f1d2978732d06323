// Saving the results pane as an HTML page.
#pragma once

#include <string>
#include <string_view>

namespace kinpath {

class Dialog;
class FileSystem;

inline constexpr const char* HtmlFileName = "Kinpath.html";

// Appends tabCount tabs, the text and CR LF to out.
void WriteHtmlLine(std::string& out, const char* text, int tabCount);
// The whole page for the pane's current displayed lines.
std::string BuildHtmlPage(Dialog& dialog);
// Writes Kinpath.html in the working directory without ever destroying a good
// file, then hands it to the desktop's viewer. False (after an "Error" box) when
// the file could not be written; a viewer that could not be started gets a box
// that says where the page is.
bool ExportHtml(Dialog& dialog, FileSystem& files);
// The same on the system's files.
bool ExportHtml(Dialog& dialog);

}  // namespace kinpath
