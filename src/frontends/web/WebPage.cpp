#include "frontends/web/WebPage.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "app/MainDialog.h"
#include "flow/RunLog.h"
#include "frontends/web/PageLayout.h"
#include "frontends/web/PageRecord.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"

namespace kinpath::web {

// The tab's session storage and history, in shell.html.
EM_JS(char*, JsStored, (const char* key), {
    var text = Kinpath.stored(UTF8ToString(key));
    if (text == null) return 0;
    var size = lengthBytesUTF8(text) + 1;
    var copy = _malloc(size);
    stringToUTF8(text, copy, size);
    return copy;
});
EM_JS(void, JsStore, (const char* key, const char* text),
      { Kinpath.store(UTF8ToString(key), text ? UTF8ToString(text) : null); });
// The history entry the page stands on, when it is one of the run's.
EM_JS(int, JsHistoryDepth, (const char* token), {
    var s = history.state;
    return s && s.token == UTF8ToString(token) ? s.depth : -1;
});
EM_JS(int, JsHistoryBase, (), { return history.state ? history.state.base : 0; });
EM_JS(int, JsOnRunEntry, (), { return !!(history.state && history.state.token); });
// Whether the tab's history grew.
EM_JS(int, JsHistory, (int push, const char* token, int depth, int base), {
    return Kinpath.history(!!push, {token : UTF8ToString(token), depth : depth, base : base}) ? 1
                                                                                              : 0;
});
EM_JS(void, JsHistoryBack, (), { history.back(); });
EM_JS(void, JsHistoryGo, (int delta), { history.go(delta); });
EM_JS(void, JsShare, (const char* text), { Kinpath.share(UTF8ToString(text)); });

namespace {

// A token no other run of this tab has: its history entries are its own.
std::string NewToken() {
    static unsigned count = 0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           "-" + std::to_string(++count);
}

std::optional<PageRecord> StoredRecord(const std::string& key) {
    char* text = JsStored(key.c_str());
    if (text == nullptr) return std::nullopt;
    std::optional<PageRecord> record = DecodeRecord(text);
    std::free(text);
    return record;
}

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
    // Only a page that stands on an entry of a run kept one: a new visit
    // starts afresh without asking the storage.
    std::optional<PageRecord> kept = JsOnRunEntry() ? StoredRecord(r.key) : std::nullopt;
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
    Rejoin();
    Store();
}

void WebPage::Rejoin() {
    Run& r = *run_;
    // The browser's entry stays the run's when it is one of its own (a
    // reload), and goes back to the one of the step the run resumed at (an
    // edited draft); else it becomes the run's first.
    const int depth = r.Depth();
    const int entry = r.record.token.empty() ? -1 : JsHistoryDepth(r.record.token.c_str());
    // The entries from base up are the run's: the browser goes back to the
    // step only where it still has that step's entry.
    const int base = entry < 0 ? depth : JsHistoryBase();
    if (entry < 0) r.record.token = NewToken();
    r.record.base = std::min(base, depth);
    if (entry > depth && depth >= base) {
        JsHistoryGo(depth - entry);
    } else if (entry >= 0 && entry < depth) {
        // The run resumed past the entry the browser stands on (a draft made
        // whole again): the steps between get entries of their own.
        for (int step = entry + 1; step <= depth; ++step) PushEntry(step);
    } else {
        JsHistory(false, r.record.token.c_str(), depth, r.record.base);
    }
    r.entryMarked = true;
}

template <typename F>
void WebPage::Handle(int focused, F input, bool travelled) {
    Run& r = *run_;
    // Where the user put the focus is theirs; the driver decides from there.
    if (!r.view.BoxOpen()) r.driver.Focused(focused);
    const int depth = r.document && r.driver.CurrentRun() ? r.Depth() : -1;
    input();
    if (r.document && depth >= 0) {
        if (!travelled) KeepHistory(depth);
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
        if (const auto& verdict = r.driver.Shown().verdict)
            JsShare(ShareSentence(*verdict).c_str());
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
    // With the run's history entry below, the browser goes back to it
    // (Travel then takes the step back), so that its Forward can return.
    if (r.Depth() > r.record.base && JsHistoryDepth(r.record.token.c_str()) == r.Depth()) {
        JsHistoryBack();
        return;
    }
    r.driver.Back();
}

void WebPage::Travel(const std::string& token, int depth) {
    if (!run_ || !run_->document || run_->driver.Ended()) return;
    Run& r = *run_;
    Handle(
        0,
        [&] {
            // Travelling writes no new entry.
            if (token == r.record.token && r.driver.TravelTo(depth))
                r.record.base = std::min(r.record.base, depth);
        },
        true);
    // An entry the run cannot stand for (another run's, a step no longer
    // there) becomes the entry of where the run is.
    if (JsHistoryDepth(r.record.token.c_str()) != r.Depth()) {
        r.record.base = std::min(r.record.base, r.Depth());
        JsHistory(false, r.record.token.c_str(), r.Depth(), r.record.base);
        r.entryMarked = true;
    }
}

void WebPage::KeepHistory(int depthBefore) {
    Run& r = *run_;
    const int depth = r.Depth();
    if (depth == depthBefore) return;
    if (!r.entryMarked) {
        JsHistory(false, r.record.token.c_str(), depthBefore, r.record.base);
        r.entryMarked = true;
    }
    if (depth == depthBefore + 1) {
        PushEntry(depth);
    } else {
        r.record.base = std::min(r.record.base, depth);
        JsHistory(false, r.record.token.c_str(), depth, r.record.base);
    }
}

void WebPage::PushEntry(int depth) {
    Run& r = *run_;
    // A history that did not grow dropped an entry to make room, maybe one of
    // the run's (or those ahead): Back no longer trusts the entries below.
    if (!JsHistory(true, r.record.token.c_str(), depth, r.record.base)) {
        r.record.base = depth;
        JsHistory(false, r.record.token.c_str(), depth, depth);
    }
}

void WebPage::Store() {
    Run& r = *run_;
    if (r.driver.Ended()) {
        // An ended run is not resumed: a reload starts afresh.
        JsStore(r.key.c_str(), nullptr);
        return;
    }
    r.record.events = r.driver.CurrentRun()->Events();
    r.record.kept = r.driver.Kept();
    r.record.timeline = r.driver.Timeline();
    JsStore(r.key.c_str(), EncodeRecord(r.record).c_str());
}

}  // namespace kinpath::web
