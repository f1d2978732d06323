#include "frontends/web/BrowserServices.h"

#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdlib>

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
// Whether the history entry the page stands on is one of the run's.
EM_JS(int, JsHistoryOwn, (const char* token), {
    var s = history.state;
    return !!(s && s.token == UTF8ToString(token));
});
EM_JS(int, JsHistoryPos, (), { return (history.state && history.state.pos) | 0; });
EM_JS(int, JsOnRunEntry, (), { return !!(history.state && history.state.token); });
// Whether the tab's history grew.
EM_JS(int, JsHistory, (int push, const char* token, int depth, int pos), {
    return Kinpath.history(!!push, {token : UTF8ToString(token), depth : depth, pos : pos}) ? 1 : 0;
});
EM_JS(void, JsHistoryBack, (), { history.back(); });
EM_JS(void, JsHistoryGo, (int delta), { history.go(delta); });
EM_JS(void, JsShare, (const char* text), { Kinpath.share(UTF8ToString(text)); });

namespace {

// Pushes or replaces the entry; whether the tab's history grew.
bool WriteEntry(bool push, const std::string& token, int depth, int pos) {
    return JsHistory(push ? 1 : 0, token.c_str(), depth, pos) != 0;
}

}  // namespace

std::optional<PageRecord> KeptRecord(const std::string& key) {
    char* text = JsStored(key.c_str());
    if (text == nullptr) return std::nullopt;
    std::optional<PageRecord> record = DecodeRecord(text);
    std::free(text);
    return record;
}

void KeepRecord(const std::string& key, const PageRecord* record) {
    JsStore(key.c_str(), record ? EncodeRecord(*record).c_str() : nullptr);
}

std::string NewToken() {
    static unsigned count = 0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           "-" + std::to_string(++count);
}

int EntryPos() { return JsHistoryPos(); }

BrowserEntry EntryOf(const std::string& token, int depth, int pos, int base) {
    return Locate(JsHistoryOwn(token.c_str()) != 0, EntryPos(), depth, pos, base);
}

bool OnRunEntry() { return JsOnRunEntry() != 0; }

bool WriteHistory(const HistoryPlan& plan, const std::string& token, int& base, int& pos) {
    base = plan.base;
    for (const HistoryStep& step : plan.steps) {
        const bool push = step.kind == HistoryStep::Kind::Push;
        if (step.kind == HistoryStep::Kind::Go) {
            pos += step.value;
            JsHistoryGo(step.value);
        } else if (!WriteEntry(push, token, step.value, pos += push ? 1 : 0) && push) {
            WriteHistory(Dropped(step.value), token, base, pos);
        }
    }
    return !plan.steps.empty();
}

void HistoryBack() { JsHistoryBack(); }

void Share(const std::string& text) { JsShare(text.c_str()); }

}  // namespace kinpath::web
