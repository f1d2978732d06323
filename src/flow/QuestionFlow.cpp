#include "flow/QuestionFlow.h"

#include <string>
#include <string_view>

#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "scoring/RankTables.h"
#include "scoring/RowNames.h"
#include "script/ScriptDocument.h"
#include "window/WindowWords.h"

namespace kinpath {

namespace {

constexpr const char* Rule =
    "-----------------------------------------------------------------------------";
constexpr const char* AnalysisBanner = "                            Answer Analysis    ";
constexpr const char* DistributionBanner = "                            Point Distribution    ";

template <int N>
void AppendScoreRows(Transcript& transcript, const Game& game, const RankRows<N>& rows) {
    for (const RankEntry& row : rows) {
        std::string line(RowName(game, row.row));
        line += ": ";
        line += std::to_string(row.score);
        AppendTranscriptLine(transcript, line);
    }
}

void PutUpBox(FlowState& state, std::string_view text, std::string_view caption, BoxButtons buttons,
              AfterBox then) {
    state.boxes.push_back(
        {Box{BoxOwner::Dialog, std::string(text), std::string(caption), buttons}, then, true});
}

enum class RecordOutcome { NothingChecked, Recorded, NoMatchingAnswer };

// Records the checked choice of the current question, or puts up the "no
// answer" box.
RecordOutcome RecordAnswer(FlowState& state) {
    const int choice = state.checked;
    const QuestionBlock* question = state.session.CurrentQuestion();
    if (choice == 0 || question == nullptr) return RecordOutcome::NothingChecked;
    const AnswerBlock* answer = FindAnswer(state.session.Document(), *question, choice);
    if (answer == nullptr) {
        PutUpBox(state, NoAnswerMessage, "Error", BoxButtons::Ok, AfterBox::NextQuestion);
        return RecordOutcome::NoMatchingAnswer;
    }
    state.session.RecordPoints(*answer);
    return RecordOutcome::Recorded;
}

// The window's results face: question area and bars hidden, OK and Skip
// disabled, the pane enlarged, Print and HTML enabled.
void ShowResultsLayout(FlowState& state) {
    state.checked = 0;
    state.okEnabled = false;
    state.resultsLayout = true;
}

// Appends "It appears that the best race for you is ..." to the transcript,
// in the game's words; a game of one table names its best row alone.
void AnnounceBestPick(FlowState& state) {
    const SettingsBlock* settings = state.session.Document().Settings();
    const BestPick pick =
        state.session.PickBest(settings ? settings->preference : Preference::ClassOverRace);
    state.pick = pick;
    if (!state.transcript.Kept()) return;  // many runs no window shows
    const Game& game = state.session.PlayedGame();
    const auto& words = state.session.Texts().words;
    std::string sentence = "It appears that the best " + words[0] + " for you is " +
                           std::string(RaceName(game, pick.race));
    if (!game.tables[1].empty()) {
        sentence +=
            "\r\nand the best " + words[1] + " is " + std::string(ClassName(game, pick.cls));
    }
    AppendTranscriptLine(state.transcript, sentence + "!");
}

// The report after the recap question: full or brief, then the thanks.
void FinishReport(FlowState& state, bool full) {
    Transcript& pane = state.transcript;
    if (!pane.Kept()) return;  // the report is the pane's alone
    if (full) {
        const Session& session = state.session;
        AppendTranscriptLine(pane, " ");
        AppendTranscriptLine(pane, " ");
        AppendTranscriptLine(pane, Rule);
        AppendTranscriptLine(pane, AnalysisBanner);
        AppendTranscriptLine(pane, Rule);
        const auto answers = session.Document().AllAnswers();
        for (const std::uint32_t answer : session.AnsweredList()) {
            // An answer without an explanation leaves only the empty line.
            if (const ScriptText explanation = answers[answer].explanation) {
                AppendTranscriptLine(pane, session.Document().Text(explanation));
            }
            AppendTranscriptLine(pane, "");
        }
        AppendTranscriptLine(pane, Rule);
        AppendTranscriptLine(pane, DistributionBanner);
        AppendTranscriptLine(pane, Rule);
        const Game& game = session.PlayedGame();
        AppendScoreRows(pane, game, session.RaceTable());
        if (session.ClassTable().count > 0) {
            AppendTranscriptLine(pane, " ");
            AppendScoreRows(pane, game, session.ClassTable());
        }
    }
    AppendTranscriptLine(pane, "  ");
    const std::string& closing = state.session.Texts().closing;
    AppendTranscriptLine(pane, closing.empty() ? "Thank you for using Kinpath!" : closing);
}

// The closing report; with recap=ask it first puts up the question.
void WriteReport(FlowState& state) {
    const FinalBlock* finalBlock = state.session.Document().Final();
    if (finalBlock == nullptr) return FinishReport(state, true);
    switch (finalBlock->recap) {
        case RecapMode::Yes:
            return FinishReport(state, true);
        case RecapMode::Ask:
            // The pick sentence already stands in the pane; the rest follows the answer.
            return PutUpBox(state, "Would you like to review the results?", "Output results?",
                            BoxButtons::YesNo, AfterBox::Recap);
        case RecapMode::No:
            break;
    }
    FinishReport(state, false);
}

}  // namespace

void OkCommand(FlowState& state) {
    // The step waits for the "no answer" box to be dismissed.
    if (RecordAnswer(state) != RecordOutcome::NoMatchingAnswer) NextQuestion(state);
}

void NextQuestion(FlowState& state) {
    // Every step starts with an empty question area: nothing checked, OK disabled.
    state.checked = 0;
    state.okEnabled = false;
    if (state.session.StepToNextQuestion() != nullptr) return;
    ShowResultsLayout(state);
    ClearTranscript(state.transcript);
    AnnounceBestPick(state);
    WriteReport(state);
}

void ContinueAfterBox(FlowState& state, BoxResult answer) {
    if (state.boxes.empty()) return;
    const AfterBox then = state.boxes.front().then;
    state.boxes.pop_front();
    ++state.boxesAnswered;
    switch (then) {
        case AfterBox::Nothing:
            break;
        case AfterBox::NextQuestion:
            NextQuestion(state);
            break;
        case AfterBox::Recap:
            FinishReport(state, answer == BoxResult::Yes);
            break;
        case AfterBox::Close:
            state.ended = true;
            break;
        case AfterBox::Leave:
            state.ended = answer == BoxResult::Yes;
            break;
    }
}

}  // namespace kinpath
