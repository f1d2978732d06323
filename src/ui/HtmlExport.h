// Saving the results pane as an HTML page.
#pragma once

#include <string>

namespace kinpath {

class Dialog;

inline constexpr const char* HtmlFileName = "Kinpath.html";

// Appends tabCount tabs, the text and CR LF to out.
void WriteHtmlLine(std::string& out, const char* text, int tabCount);
// The whole page for the pane's current displayed lines.
std::string BuildHtmlPage(Dialog& dialog);
// Writes Kinpath.html in the working directory without ever destroying a good
// file, then hands it to the desktop's viewer. False (after an "Error" box) when
// the file could not be written.
bool ExportHtml(Dialog& dialog);

}  // namespace kinpath
