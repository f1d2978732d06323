#include "frontends/web/PageLayout.h"

#include <algorithm>
#include <span>
#include <utility>

#include "scoring/RowNames.h"
#include "window/ControlIds.h"

namespace kinpath::web {

namespace {

// The push buttons in the page's order, left to right on either row.
constexpr int QuestionsRow[] = {IdOk, IdSkip, IdBack, IdPrint, IdHtml, IdExit};
constexpr int ResultsRow[] = {IdOk, IdSkip, IdBack, IdPrint, IdHtml, IdShare, IdExit};
// The buttons a layout can use: the others stay out of a one-column row.
constexpr int QuestionsButtons[] = {IdOk, IdSkip, IdBack, IdExit};
constexpr int ResultsButtons[] = {IdBack, IdPrint, IdHtml, IdShare, IdExit};

bool Holds(std::span<const int> ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

int X(int units) { return DialogUnitsToPixelsX(units, PageBaseX); }
int Y(int units) { return DialogUnitsToPixelsY(units, PageBaseY); }

const ControlTemplate& Template(int id) {
    return DialogControls[static_cast<std::size_t>(ControlIndex(id))];
}

Rect Mapped(const ControlTemplate& t) {
    return {X(t.x), Y(t.y), X(t.x + t.width), Y(t.y + t.height)};
}

// A button row spreads its buttons evenly between OK's left edge and Exit's
// right edge, where the template puts the row.
Rect InRow(std::span<const int> row, int id) {
    const auto at = std::find(row.begin(), row.end(), id);
    if (at == row.end()) return {};
    const ControlTemplate& first = Template(IdOk);
    const ControlTemplate& last = Template(IdExit);
    const int n = static_cast<int>(row.size());
    const int width = X(first.width);
    const int left = X(first.x);
    const int span = X(last.x + last.width) - left;
    const int x = left + static_cast<int>(at - row.begin()) * (span - width) / (n - 1);
    return {x, Y(first.y), x + width, Y(first.y + first.height)};
}

PageControl Button(int id, const std::string& text) {
    PageControl c{id, "button", "buttons", text};
    c.enabled = ControlIndex(id) < 0 || Template(id).enabled;
    c.accessKey = AccessKey(id);
    c.primary = id == IdOk;
    c.onQuestions = Holds(QuestionsButtons, id);
    c.onResults = Holds(ResultsButtons, id);
    return c;
}

const ControlView& LabelOf(const Screen& shown, int bar) {
    return shown.controls[static_cast<std::size_t>(ControlIndex(IdFirstLabel + bar))];
}

}  // namespace

std::vector<PageControl> PageControls() {
    std::vector<PageControl> controls;
    controls.push_back({IdQuestionText, "question", "client", Template(IdQuestionText).text});
    for (int k = 0; k < ChoiceButtonCount; ++k)
        controls.push_back({IdChoice1 + k, "choice", "choices", Template(IdChoice1 + k).text});
    for (int b = 0; b < BarCount; ++b) {
        const char* group = b < BarCount / 2 ? "races" : "classes";
        controls.push_back({IdFirstLabel + b, "label", group, Template(IdFirstLabel + b).text});
        controls.push_back({IdFirstBar + b, "bar", group, "", IdFirstLabel + b});
    }
    controls.push_back({IdTranscript, "pane", "client", ""});
    for (const int id : ResultsRow) {
        controls.push_back(Button(id, ControlIndex(id) < 0 ? PageCaption(id) : Template(id).text));
    }
    controls.push_back({IdVerdict, "verdict", "verdict", ""});
    return controls;
}

const char* PageCaption(int id) {
    switch (id) {
        case IdBack:
            return "Back";
        case IdShare:
            return "Share";
        default:
            return "";
    }
}

Rect PageClient() { return {0, 0, X(DialogUnitsWidth), Y(DialogUnitsHeight)}; }

Rect PagePlace(int id, Layout layout) {
    if (Holds(ResultsRow, id)) {
        return layout == Layout::Results ? InRow(ResultsRow, id) : InRow(QuestionsRow, id);
    }
    if (id == IdTranscript && layout == Layout::Results) return ResultsPaneRect(PageClient());
    if (ControlIndex(id) < 0) return {};
    return Mapped(Template(id));
}

std::string PickLabel(const Verdict& verdict) {
    std::string label = "Your best " + verdict.words[0];
    return verdict.className.empty() ? label : label + " and " + verdict.words[1];
}

std::string PickTitle(const Verdict& verdict) {
    return verdict.className.empty() ? verdict.race : verdict.race + " " + verdict.className;
}

std::string ShareSentence(const Verdict& verdict, const std::string& title) {
    return "I got " + PickTitle(verdict) + " on '" + title + "'";
}

std::string CardLines(const Verdict& verdict, const std::string& title) {
    std::string lines = title + "\n" + PickLabel(verdict) + "\n" + PickTitle(verdict);
    for (const auto& [word, rows] : {std::pair(verdict.words[0], &verdict.races),
                                     std::pair(verdict.words[1], &verdict.classes)}) {
        if (rows->empty()) continue;
        const std::int32_t top = TopScore(*rows);
        lines += "\n" + Capitalised(PluralOf(word));
        for (std::size_t i = 0; i < rows->size() && i < 3; ++i) {
            const Verdict::Standing& row = (*rows)[i];
            lines += "\n" + row.name + "\t" + std::to_string(row.score) + "\t" +
                     std::to_string(StandingPermille(row.score, top));
        }
    }
    return lines;
}

std::string VerdictAnnouncement(const Verdict& verdict) {
    std::string text = PickLabel(verdict) + ": " + PickTitle(verdict) + ".";
    for (const std::string& reason : verdict.reasons) text += " " + reason;
    return text;
}

int StandingPermille(std::int32_t score, std::int32_t top) {
    const std::int64_t scale = std::max<std::int64_t>(top, BarHigh);
    return static_cast<int>(std::clamp<std::int64_t>(score, 0, scale) * 1000 / scale);
}

std::int32_t TopScore(const std::vector<Verdict::Standing>& rows) {
    std::int32_t top = 0;
    for (const Verdict::Standing& row : rows) top = std::max(top, row.score);
    return top;
}

std::string LeadersText(const Screen& shown, const PointValues& totals) {
    std::string text;
    for (const int first : {0, BarCount / 2}) {
        const int end = first ? BarCount : BarCount / 2;
        // The three highest in turn, each the first of its total in the
        // table's order: below the one before, or equal and after it.
        std::string group;
        for (int n = 0, last = -1; n < 3; ++n) {
            int best = -1;
            for (int b = first; b < end; ++b) {
                const std::int32_t total = totals[SlotForBarIndex(b)];
                const std::int32_t before = last < 0 ? INT32_MAX : totals[SlotForBarIndex(last)];
                const bool next = total < before || (total == before && b > last);
                if (total > 0 && LabelOf(shown, b).visible && next &&
                    (best < 0 || total > totals[SlotForBarIndex(best)]))
                    best = b;
            }
            if (best < 0) break;
            group += (n ? ", " : "") + LabelOf(shown, best).text + " " +
                     std::to_string(totals[SlotForBarIndex(best)]);
            last = best;
        }
        if (!group.empty()) text += (text.empty() ? "" : " \u00b7 ") + group;
    }
    return text.empty() ? text : "Leading now: " + text;
}

std::string ContinueText(int number, int count) {
    return number > 0
               ? "Continue at question " + std::to_string(number) + " of " + std::to_string(count)
               : "See the results again";
}

}  // namespace kinpath::web
