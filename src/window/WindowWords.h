// The window's own words that the author tools quote too: the checker and the
// balance report say what the window would show, and publishing keeps off the
// name the results are saved under.
#pragma once

namespace kinpath {

inline constexpr const char* DialogCaption = "Kinpath Race and Class chooser";
inline constexpr const char* NoScriptMessage = "Could not open script.txt";
inline constexpr const char* NoAnswerMessage =
    "Unable to find the proper answer data for that answer";
// The page's question before Exit leaves the questions (Run::AskBeforeLeaving).
inline constexpr const char* LeaveQuestion = "Leave the questionnaire? Your answers will be lost.";
// The saved results, in the working folder.
inline constexpr const char* HtmlFileName = "Kinpath.html";

}  // namespace kinpath
