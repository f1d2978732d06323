// What a window says beside what its controls show: to a screen reader (where
// the player is, the key that picks a choice, what the pane holds) and on its
// right-click menu (Back, with the key that does the same).
#pragma once

#include <string>

namespace kinpath {

// "Question 3 of 36" while a question is asked (Screen::questionNumber from
// 1); nothing before the first and on the results.
std::string ProgressText(int number, int count);
// The key that picks choice number (from 1), in words: "Press 3".
std::string ChoiceKeyText(int number);
// The pane's name.
inline constexpr const char* PaneName = "Results";
// The menu's Back and the key beside it (Backspace, as app/Keys.h decides).
inline constexpr const char* BackCommand = "Back";
inline constexpr const char* BackKey = "Backspace";

}  // namespace kinpath
