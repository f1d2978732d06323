// Saving the results pane as an HTML page.
#pragma once

#include <string>
#include <string_view>

namespace kinpath {

class Dialog;

inline constexpr const char* HtmlFileName = "Kinpath.html";

// Appends tabCount tabs, the text and CR LF to out.
void WriteHtmlLine(std::string& out, const char* text, int tabCount);
// The whole page for the pane's current displayed lines.
std::string BuildHtmlPage(Dialog& dialog);
// Replaces the file at path (UTF-8) with page through a temporary file in the same
// folder; the old file stays untouched unless every step succeeded.
bool WriteHtmlFile(const std::string& path, const std::string& page);
// Writes Kinpath.html in the working directory without ever destroying a good
// file, then hands it to the desktop's viewer. False (after an "Error" box) when
// the file could not be written.
bool ExportHtml(Dialog& dialog);

}  // namespace kinpath
