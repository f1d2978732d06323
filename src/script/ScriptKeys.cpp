#include "script/ScriptKeys.h"

#include <algorithm>

namespace kinpath {

namespace {

// A key stands only before an "=" and holds no other: the one-pass search
// relies on it.
constexpr bool EndsInOneEquals(KeyList keys) {
    return std::all_of(keys.begin(), keys.end(), [](std::string_view key) {
        return key.size() > 1 && key.find('=') == key.size() - 1;
    });
}
static_assert(EndsInOneEquals(SettingsKeys) && EndsInOneEquals(FinalKeys) &&
              EndsInOneEquals(QuestionKeys) && EndsInOneEquals(AnswerKeys));

}  // namespace

LineKey FindLineKey(KeyList keys, std::string_view line, std::vector<KeyHit>* hits) {
    LineKey found;
    for (std::size_t equals = line.find('='); equals != std::string_view::npos;
         equals = line.find('=', equals + 1)) {
        const std::size_t end = equals + 1;
        // Without hits to note, only keys tested before the one found matter.
        const std::size_t tried = hits != nullptr ? keys.size() : std::min(found.key, keys.size());
        for (std::size_t k = 0; k < tried; ++k) {
            const std::string_view key = keys[k];
            if (key.size() > end || line[end - key.size()] != key[0] ||
                line.substr(end - key.size(), key.size()) != key) {
                continue;
            }
            if (k < found.key) found = {k, end};
            if (hits == nullptr) break;  // the keys after it lose to it
            hits->push_back({k, end - key.size()});
        }
        if (found.key == 0 && hits == nullptr) break;
    }
    return found;
}

}  // namespace kinpath
