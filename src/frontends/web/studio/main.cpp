// The studio page's entry points: its script hands over the draft and shows
// what the author tools answer. Strings and the published page come back in
// one static buffer, valid until the next call.
#include <emscripten/emscripten.h>

#include <optional>
#include <string>

#include "authoring/studio/Studio.h"

namespace {

std::string answer;

const char* Answer(std::string text) {
    answer = std::move(text);
    return answer.c_str();
}

}  // namespace

// Runs done so far, told to the page that started the balance (it runs in a worker).
EM_JS(void, KinpathBalanceProgress, (double done), {
    if (typeof WorkerGlobalScope != 'undefined') postMessage({progress : done});
});

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* KinpathCheck(const char* text) {
    return Answer(kinpath::studio::DiagnosticsJson(text));
}

EMSCRIPTEN_KEEPALIVE const char* KinpathColours(const char* lines) {
    return Answer(kinpath::studio::ColoursJson(lines));
}

EMSCRIPTEN_KEEPALIVE const char* KinpathEditorText(const char* bytes, double size) {
    return Answer(
        kinpath::studio::EditorText(std::string_view(bytes, static_cast<std::size_t>(size))));
}

EMSCRIPTEN_KEEPALIVE const char* KinpathTitle(const char* text) {
    return Answer(kinpath::studio::DraftTitle(text));
}

// The page without a script in, the published page out through the heap (the
// studio needs no file system): the page's size, or 0 when the draft has errors.
EMSCRIPTEN_KEEPALIVE double KinpathPublish(const char* text, const char* title, const char* page,
                                           double pageSize) {
    std::optional<std::string> published = kinpath::studio::PublishDraft(
        std::string_view(page, static_cast<std::size_t>(pageSize)), text, title);
    if (!published) return 0;
    answer = std::move(*published);
    return static_cast<double>(answer.size());
}

EMSCRIPTEN_KEEPALIVE const char* KinpathPublished() { return answer.data(); }

EMSCRIPTEN_KEEPALIVE const char* KinpathBalance(const char* text, double runs, double seed,
                                                double skipPercent) {
    kinpath::BalanceOptions options;
    options.runs = static_cast<std::uint64_t>(runs);
    options.seed = static_cast<std::uint64_t>(seed);
    options.skipProbability = skipPercent / 100;
    return Answer(kinpath::studio::BalanceHtml(text, options, [](std::uint64_t done) {
        KinpathBalanceProgress(static_cast<double>(done));
    }));
}

}  // extern "C"
