#include "frontends/web/PageRecord.h"

#include <charconv>
#include <utility>

#include "flow/RunLog.h"

namespace kinpath::web {

namespace {

// A record of another layout is not read.
constexpr std::string_view Version = "kinpath-run-2";

bool ReadEvents(std::string_view text, std::vector<Event>& events) {
    std::optional<std::vector<Event>> read = EventsOfLetters(text);
    if (read) events = std::move(*read);
    return read.has_value();
}

std::string Hex(std::uint64_t n) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n, 16).ptr;
    return std::string(digits, end);
}

template <typename N>
bool ReadNumber(std::string_view text, N& n, int base) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n, base);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The text's fields, split at spaces (empty fields kept).
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(' ', start);
        fields.push_back(text.substr(start, end - start));
        if (end == text.npos) return fields;
        start = end + 1;
    }
}

std::string Prints(std::span<const std::uint64_t> fingerprints) {
    std::string text;
    for (const std::uint64_t p : fingerprints) text += (text.empty() ? "" : ",") + Hex(p);
    return text;
}

bool ReadPrints(std::string_view text, std::vector<std::uint64_t>& fingerprints) {
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::uint64_t p = 0;
        if (!ReadNumber(text.substr(0, comma), p, 16)) return false;
        fingerprints.push_back(p);
        text = comma == text.npos ? std::string_view() : text.substr(comma + 1);
    }
    return true;
}

}  // namespace

std::string EncodeRecord(const PageRecord& r) {
    std::string text = std::string(Version) + ' ' + Hex(r.scriptHash) + ' ' +
                       Prints(r.fingerprints) + ' ' + EventLetters(r.events) + ' ' +
                       EventLetters(r.timeline) + ' ' + r.token;
    if (r.kept) {
        text += ' ' + EventLetters(r.kept->events) + ' ' + Prints(r.kept->fingerprints) + ' ' +
                std::to_string(r.kept->replayed);
    }
    return text;
}

std::optional<PageRecord> DecodeRecord(std::string_view text) {
    const std::vector<std::string_view> f = Fields(text);
    PageRecord r;
    if ((f.size() != 6 && f.size() != 9) || f[0] != Version ||
        !ReadNumber(f[1], r.scriptHash, 16) || !ReadPrints(f[2], r.fingerprints) ||
        !ReadEvents(f[3], r.events) || !ReadEvents(f[4], r.timeline))
        return std::nullopt;
    r.token = std::string(f[5]);
    if (f.size() == 9) {
        r.kept.emplace();
        if (!ReadEvents(f[6], r.kept->events) || !ReadPrints(f[7], r.kept->fingerprints) ||
            !ReadNumber(f[8], r.kept->replayed, 10))
            return std::nullopt;
    }
    return r;
}

std::uint64_t ScriptHash(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    return hash;
}

std::string RecordKey(const std::string& source, std::uint64_t scriptHash) {
    return source.empty() ? "kinpath:" + Hex(scriptHash) : "kinpath:" + source;
}

}  // namespace kinpath::web
