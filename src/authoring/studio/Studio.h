// What the studio page asks of the author tools, as values its script can
// show: the checker's diagnostics with their one-click fixes, the colours of
// the editor's lines, the page to publish and the balance report. The studio
// page calls nothing else, so that it shows what the terminal's tools do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "authoring/balance/Balance.h"

namespace kinpath::studio {

// A script file's bytes as the editor's text: UTF-8 as they are, any other
// text read as Windows-1252, as the window reads it.
std::string EditorText(std::string_view bytes);

// The draft's check as JSON:
//   {"errors":E,"warnings":W,"questions":Q,"summary":"36 questions, 1 error, 0 warnings",
//    "diagnostics":[{"line":L,"severity":"error"|"warning","text":"...",
//                    "fix":"the line as the suggestion would have it"}],   (fix only when one)
//    "notes":["12 more warnings of this kind (...), up to line 900, are not listed"]}
// The texts and lines are --check's; as many of each kind are listed as it lists.
std::string DiagnosticsJson(std::string_view script);

// The colours of some of the editor's lines (joined by "\n"), one array per
// line of [from, length, kind] in UTF-16 code units, kind one of "tag",
// "key", "value", "comment":  [[[0,10,"tag"]],[[0,5,"key"],[5,9,"value"]]]
std::string ColoursJson(std::string_view lines);

// The title --publish gives the draft's page when none is asked for: the
// title of the game the draft declares, else the player page's own caption
// (which the page keeps, so publishing with it changes no byte).
std::string DraftTitle(std::string_view script);

// The one-file page of the draft, the bytes `kinpath-cli --publish --title`
// writes; none when the draft has errors or page is no page without a script.
std::optional<std::string> PublishDraft(std::string_view page, std::string_view script,
                                        std::string_view title);

// The report of `kinpath-cli --balance --format html` on the draft, runs made
// on this thread; "" when the draft has errors.
std::string BalanceHtml(std::string_view script, const BalanceOptions& options,
                        const BalanceProgress& progress = {});

}  // namespace kinpath::studio
