// Publishing a script as one self-contained web page (`kinpath-cli --publish`):
// the page without a script, kinpath-page.html, with the script inlined.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/check/ScriptCheck.h"
#include "script/ScriptLines.h"

namespace kinpath {

class FileSystem;

inline constexpr const char* WebPageFileName = "kinpath-page.html";

// The page with the script's bytes inlined, marked as holding a script (an
// empty one too), every network request forbidden and, when title is not
// empty, title as the page's title and heading, shown as text; none when page
// is not a Kinpath page without a script.
std::optional<std::string> PublishedPage(std::string_view page, std::string_view scriptBytes,
                                         std::string_view title = {});

// The title a page is published with: the one asked for, else the title of
// the script's own game (none for the built-in game: the page's own).
std::string PublishedTitle(std::string_view script, std::string_view asked = {});

// The page's default name: the script's, ending in .html ("script.txt" gives
// "script.html").
std::string PublishedPageName(const std::string& scriptPath);

struct PublishRequest {
    std::string script;  // the script file (UTF-8 path)
    std::string output;  // the page to write; empty for the default name
    // Where the page without a script may be, in the order it is looked for;
    // the first regular file is taken, and none of them is ever written.
    std::vector<std::string> pages;
    std::string title;  // the page's title and heading; empty for the page's own
};

enum class PublishStatus {
    Written,
    NameRefused,       // the output would be the script, a page without a script or Kinpath.html
    PageNotFound,      // no page without a script among the places
    ScriptUnreadable,  // scriptFailure says why
    ScriptHasErrors,   // the programs would refuse it
    NotThePage,        // the page found is no Kinpath page without a script
    NotWritten,
};

struct PublishOutcome {
    PublishStatus status = PublishStatus::NotWritten;
    std::string output;            // the page's name, as given or made from the script's
    std::string page;              // the page without a script that was used
    ScriptFileText scriptFailure;  // of ScriptUnreadable; without bytes
    CheckResult check;             // counts of the script's check
    std::uint64_t bytes = 0;       // the written page's size
};

// Checks the script as --check does, handing each diagnostic to sink, and
// writes the page unless the script has errors. Nothing is read before the
// output's name is found allowed, and the page is written with SaveFile.
PublishOutcome Publish(const PublishRequest& request, FileSystem& files, const CheckSink& sink);

}  // namespace kinpath
