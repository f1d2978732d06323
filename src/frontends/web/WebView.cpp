#include "frontends/web/WebView.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "app/PanePositions.h"
#include "app/SpokenWords.h"
#include "frontends/web/PageLayout.h"
#include "frontends/web/WebPrintSurface.h"
#include "scoring/RowNames.h"
#include "window/ControlIds.h"

namespace kinpath::web {

// The page's side, in shell.html: each call makes or draws one thing.
EM_JS(void, JsClear, (int width, int height), { Kinpath.clear(width, height); });
EM_JS(void, JsCreate,
      (int id, const char* kind, const char* place, const char* text, int partner, int key,
       int primary, int enabled, int onQuestions, int onResults),
      {
          Kinpath.create(id, UTF8ToString(kind), UTF8ToString(place), UTF8ToString(text), partner,
                         key ? String.fromCharCode(key) : "", !!primary, !!enabled, !!onQuestions,
                         !!onResults);
      });
EM_JS(void, JsPlace, (int layout, int id, int left, int top, int width, int height),
      { Kinpath.place(layout, id, left, top, width, height); });
EM_JS(void, JsShow, (), { Kinpath.show(); });
EM_JS(void, JsCaption, (const char* text), { Kinpath.caption(UTF8ToString(text)); });
EM_JS(void, JsGroups, (const char* first, const char* second),
      { Kinpath.groups(UTF8ToString(first), UTF8ToString(second)); });
EM_JS(void, JsLayoutIs, (int results), { Kinpath.layout(!!results); });
EM_JS(void, JsControl, (int id, const char* text, int enabled, int visible, int checked),
      { Kinpath.control(id, UTF8ToString(text), !!enabled, !!visible, !!checked); });
EM_JS(void, JsBar, (int id, int value, int permille), { Kinpath.bar(id, value, permille); });
EM_JS(void, JsPane, (const char* text, const char* added),
      { Kinpath.pane(UTF8ToString(text), UTF8ToString(added)); });
EM_JS(void, JsProgress, (const char* text), { Kinpath.progress(UTF8ToString(text)); });
EM_JS(void, JsBox, (const char* caption, const char* text, const char* buttons, int focus), {
    Kinpath.box(UTF8ToString(caption), UTF8ToString(text), UTF8ToString(buttons).split('\n'),
                focus);
});
EM_JS(void, JsCloseBox, (), { Kinpath.closeBox(); });
EM_JS(void, JsVerdict,
      (const char* label, const char* title, const char* races, const char* classes), {
          Kinpath.verdict(UTF8ToString(label), UTF8ToString(title), UTF8ToString(races),
                          UTF8ToString(classes));
      });
EM_JS(void, JsVerdictRow, (const char* group, const char* name, int value, int permille),
      { Kinpath.verdictRow(UTF8ToString(group), UTF8ToString(name), value, permille); });
EM_JS(void, JsVerdictReason, (const char* text), { Kinpath.verdictReason(UTF8ToString(text)); });
EM_JS(void, JsVerdictAbout, (const char* text), { Kinpath.verdictAbout(UTF8ToString(text)); });
EM_JS(void, JsNoVerdict, (), { Kinpath.noVerdict(); });
EM_JS(void, JsAnnounce, (const char* text), { Kinpath.announce(UTF8ToString(text)); });
EM_JS(void, JsLeaders, (const char* text), { Kinpath.leaders(UTF8ToString(text)); });
EM_JS(void, JsFocus, (int id, int reveal), { Kinpath.focus(id, !!reveal); });
EM_JS(void, JsSelectAll, (), { Kinpath.selectAll(); });
EM_JS(int, JsSelectionStart, (), { return Kinpath.selection()[0]; });
EM_JS(int, JsSelectionEnd, (), { return Kinpath.selection()[1]; });
EM_JS(void, JsTicks, (int intervalMs), { Kinpath.ticks(intervalMs); });
EM_JS(void, JsOpenFile, (const char* path), { Kinpath.openFile(UTF8ToString(path)); });
EM_JS(void, JsEnded, (const char* results), { Kinpath.ended(UTF8ToString(results)); });

namespace {

// A bar's fill in thousandths, and the value it shows: the nearest end
// outside its range.
int Clamped(std::int32_t value) { return std::clamp<std::int32_t>(value, BarLow, BarHigh); }
int Permille(std::int32_t value) { return (Clamped(value) - BarLow) * 1000 / (BarHigh - BarLow); }

// The pane's text as a text box holds it: LF line breaks.
std::string LfLines(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    }
    return lines;
}

}  // namespace

WebView::WebView() {
    const Rect client = PageClient();
    JsClear(client.Width(), client.Height());
    for (const PageControl& c : PageControls()) {
        JsCreate(c.id, c.kind, c.place, c.text.c_str(), c.partner, c.accessKey, c.primary,
                 c.enabled, c.onQuestions, c.onResults);
        for (const Layout layout : {Layout::Questions, Layout::Results}) {
            const Rect r = PagePlace(c.id, layout);
            JsPlace(layout == Layout::Results, c.id, r.left, r.top, r.Width(), r.Height());
        }
    }
    // The bars start at rest, at their low end, as the template has them.
    for (int b = 0; b < BarCount; ++b) DrawBar(IdFirstBar + b, 0);
    // Back and Share wait for something to take back and for the results.
    DrawPageControl(IdBack, false, true);
    DrawPageControl(IdShare, false, false);
}

WebView::~WebView() {
    JsTicks(0);
    if (BoxOpen()) JsCloseBox();
}

void WebView::Reveal() {
    if (shown_) return;
    shown_ = true;
    JsShow();
}

void WebView::DrawCaption(std::string_view caption) { JsCaption(std::string(caption).c_str()); }

void WebView::DrawTableWords(const std::array<std::string, 2>& words) {
    JsGroups(Capitalised(PluralOf(words[0])).c_str(),
             words[1].empty() ? "" : Capitalised(PluralOf(words[1])).c_str());
}

void WebView::DrawLayout(Layout layout) {
    Reveal();
    results_ = layout == Layout::Results;
    newFace_ = true;
    JsLayoutIs(results_);
    // Share stands among the results' buttons.
    DrawPageControl(IdShare, results_, results_);
}

void WebView::DrawControl(int id, const ControlView& control) {
    Reveal();
    // A choice the question does not fill is not drawn at all.
    const bool choice = id >= IdChoice1 && id < IdChoice1 + ChoiceButtonCount;
    const bool unfilled = choice && control.text.empty() && !control.enabled;
    JsControl(id, control.text.c_str(), control.enabled, control.visible && !unfilled,
              control.checked);
}

void WebView::DrawPane(std::string_view text) {
    // New lines are read out: what was added, or all of a new text.
    std::string added(text.starts_with(pane_) ? text.substr(pane_.size()) : text);
    // The results are announced by their pick and why, not by the report.
    if (results_ || added.find_first_not_of(" \t\r\n") == std::string::npos) added.clear();
    pane_.assign(text);
    Reveal();
    JsPane(LfLines(text).c_str(), LfLines(added).c_str());
}

void WebView::DrawBar(int barId, std::int32_t position) {
    JsBar(barId, Clamped(position), Permille(position));
}

void WebView::DrawBox(const Box* box) {
    if (box == nullptr) {
        boxChoices_.clear();
        JsCloseBox();
        // The focus comes back from the box where the screen has it.
        focusDue_ = true;
        return;
    }
    switch (box->buttons) {
        case BoxButtons::YesNo:
            // Yes or No must be chosen: Escape does nothing.
            return OpenBox(*box, {{"Yes", BoxResult::Yes}, {"No", BoxResult::No}}, -1, 0);
        case BoxButtons::LeaveStay:
            // Staying is what Escape and a stray Enter do.
            return OpenBox(*box, {{"Leave", BoxResult::Yes}, {"Stay", BoxResult::No}}, 1, 1);
        case BoxButtons::Ok:
            return OpenBox(*box, {{"OK", BoxResult::Ok}}, 0, 0);
    }
}

void WebView::OpenBox(const Box& box, const std::vector<std::pair<const char*, BoxResult>>& buttons,
                      int cancel, int focus) {
    std::string labels;
    boxChoices_.clear();
    boxCancel_ = cancel;
    for (const auto& [label, choice] : buttons) {
        if (!labels.empty()) labels += '\n';
        labels += label;
        boxChoices_.push_back(choice);
    }
    JsBox(box.caption.c_str(), box.text.c_str(), labels.c_str(), focus);
}

std::optional<BoxResult> WebView::ChoiceOfButton(int index) const {
    if (index == -1) index = boxCancel_;
    if (index < 0 || static_cast<std::size_t>(index) >= boxChoices_.size()) return std::nullopt;
    return boxChoices_[static_cast<std::size_t>(index)];
}

void WebView::DrawProgress(int number, int count) {
    newFace_ = true;
    JsProgress(ProgressText(number, count).c_str());
}

void WebView::DrawVerdict(const Verdict* verdict) {
    if (verdict == nullptr) return JsNoVerdict();
    // A game of one table has no second list.
    const std::string second =
        verdict->classes.empty() ? "" : Capitalised(PluralOf(verdict->words[1]));
    JsVerdict(PickLabel(*verdict).c_str(), PickTitle(*verdict).c_str(),
              Capitalised(PluralOf(verdict->words[0])).c_str(), second.c_str());
    for (const std::string& line : verdict->about) JsVerdictAbout(line.c_str());
    for (const auto& [group, rows] :
         {std::pair("races", &verdict->races), std::pair("classes", &verdict->classes)}) {
        const std::int32_t top = TopScore(*rows);
        for (const Verdict::Standing& row : *rows)
            JsVerdictRow(group, row.name.c_str(), row.score, StandingPermille(row.score, top));
    }
    for (const std::string& reason : verdict->reasons) JsVerdictReason(reason.c_str());
    JsAnnounce(VerdictAnnouncement(*verdict).c_str());
}

void WebView::DrawLeaders(const std::string& text) {
    if (text == leaders_) return;
    leaders_ = text;
    JsLeaders(text.c_str());
}

void WebView::DrawSteps(bool back, bool) { DrawPageControl(IdBack, back, true); }

void WebView::DrawPageControl(int id, bool enabled, bool visible) {
    JsControl(id, PageCaption(id), enabled, visible, false);
}

void WebView::DrawFocus(int) { focusDue_ = true; }

void WebView::ShowFocus(int id) {
    if (!focusDue_ || BoxOpen() || !shown_) return;
    focusDue_ = false;
    if (id == 0) return;
    const bool reveal = std::exchange(newFace_, false);
    JsFocus(results_ && reveal && id == IdTranscript ? IdVerdict : id, reveal);
}

void WebView::DrawEnd() {
    boxChoices_.clear();
    // Ended on the results, the page keeps them to see again.
    JsEnded(results_ ? ContinueText(0, 0).c_str() : "");
}

// The driver draws a selection only to select the whole text before printing it.
void WebView::DrawSelection(PaneSelection) { JsSelectAll(); }

PaneSelection WebView::PageSelection() const {
    // The page's text box holds the pane's text with LF line breaks and counts
    // in UTF-16 units; the view counts characters and each break as two.
    const std::u16string units = PaneUnits(pane_, u"\n");
    const std::u16string_view view(units);
    const auto start = static_cast<std::size_t>(JsSelectionStart());
    const auto end = static_cast<std::size_t>(JsSelectionEnd());
    return {PanePosition(view, start), PanePosition(view, end)};
}

bool WebView::OpenFile(const std::string& path) {
    // The browser offers the file as a download, which the user may always take.
    JsOpenFile(path.c_str());
    return true;
}

void WebView::AskPrint(bool selectionAvailable) {
    // The browser's own print dialog comes once the pages are drawn; the
    // selection, when there is one, is what gets printed.
    if (driver_) driver_->Printed(std::make_unique<WebPrintSurface>(selectionAvailable));
}

void WebView::StartTicks(int intervalMs) { JsTicks(intervalMs); }

void WebView::StopTicks() { JsTicks(0); }

}  // namespace kinpath::web
