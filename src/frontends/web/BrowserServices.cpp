#include "frontends/web/BrowserServices.h"

#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdlib>

namespace kinpath::web {

// The browser's local storage and history, in shell.html.
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
// The entry the page stands on: -1 for none of the run's, else 1 for the
// results' (its step in depth), 0 for the questions'.
EM_JS(int, JsHistoryKind, (const char* token), {
    var s = history.state;
    return s && s.token == UTF8ToString(token) ? s.results | 0 : -1;
});
EM_JS(int, JsHistoryDepth, (), { return (history.state && history.state.depth) | 0; });
EM_JS(int, JsOnRunEntry, (), { return !!(history.state && history.state.token); });
EM_JS(void, JsHistory, (int push, const char* token, int results, int depth), {
    Kinpath.history(!!push, {token : UTF8ToString(token), results : results, depth : depth});
});
EM_JS(void, JsHistoryBack, (), { history.back(); });
EM_JS(void, JsOffer, (const char* resume, const char* begin),
      { Kinpath.offer(UTF8ToString(resume), UTF8ToString(begin)); });
EM_JS(void, JsShare, (const char* text, const char* card),
      { Kinpath.share(UTF8ToString(text), UTF8ToString(card)); });
EM_JS(char*, JsTitle, (), {
    var text = document.getElementById('caption').textContent;
    var size = lengthBytesUTF8(text) + 1;
    var copy = _malloc(size);
    stringToUTF8(text, copy, size);
    return copy;
});

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

BrowserEntry EntryOf(const std::string& token) {
    const int kind = JsHistoryKind(token.c_str());
    return {kind >= 0, {kind == 1, JsHistoryDepth()}};
}

bool OnRunEntry() { return JsOnRunEntry() != 0; }

bool WriteHistory(const HistoryPlan& plan, const std::string& token) {
    for (const HistoryStep& step : plan) {
        if (step.kind == HistoryStep::Kind::Back) {
            JsHistoryBack();
            return true;
        }
        JsHistory(step.kind == HistoryStep::Kind::Push, token.c_str(), step.place.results,
                  step.place.depth);
    }
    return false;
}

void HistoryBack() { JsHistoryBack(); }

void Offer(const std::string& resume, const std::string& begin) {
    JsOffer(resume.c_str(), begin.c_str());
}

void Share(const std::string& text, const std::string& card) {
    JsShare(text.c_str(), card.c_str());
}

std::string PageTitle() {
    char* text = JsTitle();
    std::string title(text);
    std::free(text);
    return title;
}

}  // namespace kinpath::web
