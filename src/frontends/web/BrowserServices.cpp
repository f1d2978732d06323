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

std::optional<std::string> Stored(const std::string& key) {
    char* text = JsStored(key.c_str());
    if (text == nullptr) return std::nullopt;
    std::string copy = text;
    std::free(text);
    return copy;
}

void Store(const std::string& key, const std::optional<std::string>& text) {
    JsStore(key.c_str(), text ? text->c_str() : nullptr);
}

std::string NewToken() {
    static unsigned count = 0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           "-" + std::to_string(++count);
}

BrowserEntry EntryOf(const std::string& token) {
    const int depth = JsHistoryDepth(token.c_str());
    if (depth < 0) return {};
    return {depth, JsHistoryBase()};
}

bool OnRunEntry() { return JsOnRunEntry() != 0; }

bool WriteEntry(bool push, const std::string& token, int depth, int base) {
    return JsHistory(push ? 1 : 0, token.c_str(), depth, base) != 0;
}

void HistoryBack() { JsHistoryBack(); }
void HistoryGo(int delta) { JsHistoryGo(delta); }

void Share(const std::string& text) { JsShare(text.c_str()); }

}  // namespace kinpath::web
