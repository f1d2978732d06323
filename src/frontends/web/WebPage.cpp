#include "frontends/web/WebPage.h"

#include "app/MainDialog.h"
#include "flow/RunLog.h"
#include "frontends/web/BrowserServices.h"
#include "frontends/web/PageLayout.h"
#include "frontends/web/PageRecord.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"

namespace kinpath::web {

namespace {

// A served script without a single block is a page in its place (a host's
// "not found" page sent as text): no script at all.
bool ServedNoScript(const std::string& source, const ScriptDocument& document) {
    return source.starts_with("http") && document.Questions().empty() && !document.Settings() &&
           !document.Final();
}

}  // namespace

struct WebPage::Run {
    Run() { view.Attach(driver); }
    WebView view;
    SteadyClock clock;
    WindowDriver driver{view, clock};
    // The script as loaded; null when it did not load.
    std::shared_ptr<const ScriptDocument> document;
    std::string key;
    PageRecord record;
    // The browser's entry carries the run's token and step.
    bool entryMarked = false;

    int Depth() const { return StepCount(driver.CurrentRun()->Events()); }
};

WebPage::WebPage() = default;
WebPage::~WebPage() = default;

void WebPage::Start(const std::string& source) {
    // One run at a time: the one before goes first, its timer and box with it.
    run_.reset();
    run_ = std::make_unique<Run>();
    Run& r = *run_;
    // Leaving loses the answers: the page asks first. The browser's Forward
    // goes to the steps taken back.
    r.driver.AskBeforeLeaving();
    r.driver.KeepStepsTakenBack();
    ScriptFileText file = ReadScriptFile(PageScript);
    auto document = std::make_shared<ScriptDocument>();
    const std::uint64_t hash = ScriptHash(file.bytes);
    LoadOutcome outcome = LoadScriptFile(*document, std::move(file));
    // Refused as a missing file is.
    if (outcome.loaded && ServedNoScript(source, *document)) outcome = LoadOutcome();
    if (!outcome.loaded) {
        // The boxes that say why, as the programs show them.
        Handle(0, [&] { r.driver.Refuse(PageScript, outcome); });
        return;
    }
    r.document = document;
    r.key = RecordKey(source, hash);
    r.record.scriptHash = hash;
    r.record.fingerprints = QuestionFingerprints(*document);
    r.record.pos = EntryPos();
    // Only a page that stands on an entry of a run kept one: a new visit
    // starts afresh without asking the storage.
    std::optional<PageRecord> kept = OnRunEntry() ? KeptRecord(r.key) : std::nullopt;
    if (kept) r.record.token = kept->token;
    Handle(
        0,
        [&] {
            if (!kept) return r.driver.Resume(document, PageScript, {});
            r.driver.Reload(document, PageScript, {kept->events, kept->fingerprints, 0},
                            kept->kept);
            // The same script: the same run, its steps taken back with it.
            if (kept->scriptHash == hash) r.driver.ResumeTimeline(kept->timeline);
        },
        true);
    if (!kept) {
        // The entry is marked once there is a step to come back to.
        r.record.token = NewToken();
        return;
    }
    // A resumed run takes its place among the browser's entries.
    const BrowserEntry entry =
        r.record.token.empty()
            ? BrowserEntry{}
            : EntryOf(r.record.token, StepCount(kept->events), kept->pos, kept->base);
    if (!entry.depth) r.record.token = NewToken();
    Carry(Rejoin(entry, r.Depth()));
    Store();
}

template <typename F>
void WebPage::Handle(int focused, F input, bool travelled) {
    Run& r = *run_;
    // Where the user put the focus is theirs; the driver decides from there.
    if (!r.view.BoxOpen()) r.driver.Focused(focused);
    const int depth = r.document && r.driver.CurrentRun() ? r.Depth() : -1;
    input();
    if (r.document && depth >= 0) {
        if (!travelled) Carry(Follow(depth, r.Depth(), r.entryMarked, r.record.base));
        Store();
    }
    r.view.ShowFocus(r.driver.Shown().focus);
}

void WebPage::Press(int id, int focused) {
    if (!run_ || run_->view.BoxOpen()) return;
    Handle(focused, [&] { PressNow(id); });
}

void WebPage::PressNow(int id) {
    Run& r = *run_;
    if (id == IdBack) return GoBack();
    if (id == IdShare) {
        if (const auto& verdict = r.driver.Shown().verdict) Share(ShareSentence(*verdict));
        return;
    }
    // The page's selection is the user's input, reported as it stands when
    // it matters: what Print offers to print.
    if (id == IdPrint) r.driver.Selected(r.view.PageSelection());
    r.driver.Press(id);
}

bool WebPage::Key(const KeyPress& key) {
    if (!run_ || run_->view.BoxOpen()) return false;  // the box takes its own keys
    // Backspace in the report is the text box's; Enter on a button only the
    // page has presses it, as the browser does.
    if ((key.key == KeyName::Backspace && key.focused == IdTranscript) ||
        (key.key == KeyName::Enter && (key.focused == IdBack || key.focused == IdShare)))
        return false;
    const KeyDecision decision = DecideKey(run_->driver.Shown(), key);
    // Reading the script again is the browser's reload, which resumes the run
    // on the script as it is now.
    if (decision.action == KeyAction::Restart) return false;
    Handle(key.focused, [&] {
        if (decision.action == KeyAction::Press) PressNow(decision.id);
        if (decision.action == KeyAction::Back) GoBack();
    });
    return decision.handled;
}

void WebPage::Answer(int button, int focused) {
    if (!run_) return;
    const std::optional<BoxResult> choice = run_->view.ChoiceOfButton(button);
    if (choice) Handle(focused, [&] { run_->driver.Answer(*choice); });
}

void WebPage::Tick() {
    if (run_) run_->driver.Tick();
}

void WebPage::GoBack() {
    Run& r = *run_;
    // Travel then takes the step back, so that the browser's Forward can return.
    const BrowserEntry entry = EntryOf(r.record.token, r.Depth(), r.record.pos, r.record.base);
    if (BackByBrowser(entry, r.Depth(), r.record.base)) return HistoryBack();
    r.driver.Back();
}

void WebPage::Travel() {
    if (!run_ || !run_->document || run_->driver.Ended()) return;
    Run& r = *run_;
    Handle(
        0,
        [&] {
            // Travelling writes no new entry.
            const BrowserEntry entry =
                EntryOf(r.record.token, r.Depth(), r.record.pos, r.record.base);
            if (entry.depth) r.driver.TravelTo(*entry.depth);
            r.record.pos = EntryPos();
            Carry(Settle(entry, r.Depth()));
        },
        true);
}

void WebPage::Carry(const HistoryPlan& plan) {
    PageRecord& record = run_->record;
    if (WriteHistory(plan, record.token, record.base, record.pos)) run_->entryMarked = true;
}

void WebPage::Store() {
    Run& r = *run_;
    if (r.driver.Ended()) {
        // An ended run is not resumed: a reload starts afresh.
        KeepRecord(r.key, nullptr);
        return;
    }
    r.record.events = r.driver.CurrentRun()->Events();
    r.record.kept = r.driver.Kept();
    r.record.timeline = r.driver.Timeline();
    KeepRecord(r.key, &r.record);
}

}  // namespace kinpath::web
