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

// Where a kept run stands, as its offer says it.
std::string KeptPlace(std::shared_ptr<const ScriptDocument> document,
                      std::span<const Event> events) {
    const Screen screen = kinpath::Run::Replay(std::move(document), events).Render();
    return ContinueText(screen.questionNumber, screen.questionCount);
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

    int Depth() const { return StepCount(driver.CurrentRun()->Events()); }
    RunPlace Where() const { return {driver.Shown().layout == Layout::Results, Depth()}; }
    BrowserEntry Entry() const { return EntryOf(record.token); }
    // The browser is on its way back to the questions' entry: nothing is
    // written until it gets there.
    bool travelling = false;
};

WebPage::WebPage() = default;
WebPage::~WebPage() = default;

void WebPage::Start(const std::string& source, StartMode mode, bool opening) {
    // One run at a time: the one before goes first, its timer and box with it.
    run_.reset();
    run_ = std::make_unique<Run>();
    Run& r = *run_;
    // Leaving loses the answers: the page asks first. The browser's Forward
    // goes to the results again after its Back.
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
    const std::optional<PageRecord> stored = KeptRecord(r.key);
    const std::optional<PageRecord> kept = mode == StartMode::Fresh ? std::nullopt : stored;
    const bool resumable = kept && StepCount(kept->events) > 0;
    if (mode == StartMode::Visit && !OnRunEntry() && (opening || resumable)) {
        // A new visit opens on the page's opening, which offers the run kept
        // from before, if any; a reload goes on where it was.
        Offer(resumable ? KeptPlace(document, kept->events) : "",
              resumable ? "Start again" : "Start");
        run_.reset();
        return;
    }
    // A run started afresh takes the entries of the one before, so that its
    // results' entry goes back to the questions' one instead of staying behind it.
    r.record.token = stored && !stored->token.empty() ? stored->token : NewToken();
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
    Carry(Place(r.Entry(), r.Where()));
}

template <typename F>
void WebPage::Handle(int focused, F input, bool travelled) {
    Run& r = *run_;
    // Where the user put the focus is theirs; the driver decides from there.
    if (!r.view.BoxOpen()) r.driver.Focused(focused);
    input();
    if (r.document && r.driver.CurrentRun()) {
        if (!travelled && !r.driver.Ended()) Carry(Place(r.Entry(), r.Where()));
        Store();
    }
    const Screen& shown = r.driver.Shown();
    const bool answering =
        r.driver.CurrentRun() && shown.layout == Layout::Questions && !shown.ended;
    r.view.DrawLeaders(answering ? LeadersText(shown, r.driver.CurrentRun()->BarTargets()) : "");
    r.view.ShowFocus(shown.focus);
}
void WebPage::Press(int id, int focused) {
    if (!run_ || run_->view.BoxOpen()) return;
    Handle(focused, [&] { PressNow(id); });
}

void WebPage::PressNow(int id) {
    Run& r = *run_;
    if (id == IdBack) return GoBack();
    if (id == IdShare) {
        if (const auto& verdict = r.driver.Shown().verdict) {
            const std::string title = PageTitle();
            Share(ShareSentence(*verdict, title), CardLines(*verdict, title));
        }
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
    // On the results the browser goes back to the questions' entry, and
    // Travel takes the step back, so that its Forward can return.
    if (r.travelling) return;
    if (BackByBrowser(r.Entry(), r.Where())) {
        r.travelling = true;
        return HistoryBack();
    }
    r.driver.Back();
}

void WebPage::Travel() {
    if (!run_ || !run_->document || run_->driver.Ended()) return;
    Run& r = *run_;
    r.travelling = false;
    Handle(
        0,
        [&] {
            const BrowserEntry entry = r.Entry();
            const TravelMove move = TravelFor(entry, r.Where());
            if (move == TravelMove::StepBack) r.driver.Back();
            if (move == TravelMove::ToResults) r.driver.TravelTo(entry.place.depth);
            // Travelling writes no new entry, unless the run could not follow.
            Carry(Place(r.Entry(), r.Where()));
        },
        true);
}

void WebPage::Carry(const HistoryPlan& plan) {
    if (!run_->travelling) run_->travelling = WriteHistory(plan, run_->record.token);
}

void WebPage::Store() {
    Run& r = *run_;
    if (r.driver.Ended()) {
        // Results stay, for a reload and "See the results again"; a run
        // ended before them is not resumed.
        if (!r.driver.Shown().verdict) KeepRecord(r.key, nullptr);
        return;
    }
    r.record.events = r.driver.CurrentRun()->Events();
    r.record.kept = r.driver.Kept();
    r.record.timeline = r.driver.Timeline();
    KeepRecord(r.key, &r.record);
}

}  // namespace kinpath::web
