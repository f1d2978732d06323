// Publishing a script as one self-contained web page (`kinpath-cli --publish`):
// the page without a script, kinpath-page.html, with the script inlined.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace kinpath {

inline constexpr const char* WebPageFileName = "kinpath-page.html";

// The page with the script's bytes inlined and every network request
// forbidden; none when the page is not a Kinpath page without a script.
std::optional<std::string> PublishedPage(std::string_view page, std::string_view scriptBytes);

// The page's default name: the script's, ending in .html ("script.txt" gives
// "script.html").
std::string PublishedPageName(const std::string& scriptPath);

struct PublishRequest {
    std::string script;  // the script file (UTF-8 path)
    std::string output;  // the page to write; empty for the default name
    std::string page;    // the page without a script
};

// The whole --publish run: checks the script as --check does, printing its
// errors and warnings to err, and refuses one with errors; else writes the page
// and prints its path and size to out. Exit status 0 when written, 1 when not,
// 2 for an output name that is not allowed.
int RunPublish(const PublishRequest& request, std::ostream& out, std::ostream& err);

}  // namespace kinpath
