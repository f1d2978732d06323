// The studio page's entry points: its script hands over the draft and shows
// what the author tools answer. Strings come back in one static buffer, valid
// until the next call.
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
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

EMSCRIPTEN_KEEPALIVE const char* KinpathTitle(const char* text) {
    return Answer(kinpath::studio::DraftTitle(text));
}

// The page without a script is kinpath-page.html of the module's files; the
// published page goes to published.html. 0: the draft has errors.
EMSCRIPTEN_KEEPALIVE int KinpathPublish(const char* text, const char* title) {
    std::ifstream in("kinpath-page.html", std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::optional<std::string> published = kinpath::studio::PublishDraft(page, text, title);
    if (!published) return 0;
    std::ofstream out("published.html", std::ios::binary | std::ios::trunc);
    out.write(published->data(), static_cast<std::streamsize>(published->size()));
    return out.good() ? 1 : 0;
}

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

int main() {
    // New files of the module's own are readable, as the published page must be.
    ::umask(022);
    return 0;
}
