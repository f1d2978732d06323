// Control identifiers of the main dialog.
#pragma once

namespace kinpath {

inline constexpr int IdOk = 1;
inline constexpr int IdExit = 2;
inline constexpr int IdSkip = 3;
inline constexpr int IdChoice1 = 1000;  // choices 1 to 8 are 1000 to 1007
inline constexpr int ChoiceButtonCount = 8;
inline constexpr int IdQuestionText = 1008;
inline constexpr int IdTranscript = 1009;
inline constexpr int IdPrint = 1010;
inline constexpr int IdHtml = 1011;
inline constexpr int IdFirstBar = 1012;    // bars 1012 to 1038
inline constexpr int IdFirstLabel = 1039;  // labels 1039 to 1065
inline constexpr int BarCount = 27;
inline constexpr int IdBarTimer = 123;
inline constexpr int BarTimerIntervalMs = 1;

}  // namespace kinpath
