// The publisher's fuzz entry function, shared by the libFuzzer target and the
// regression test: any bytes as a script, and a first line as the page's
// title, published into a stand-in for the page without a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "authoring/publish/Publish.h"
#include "text/TextCodec.h"

namespace kinpath::fuzz {

// What the page without a script holds around the places publishing changes.
inline constexpr std::string_view PublishTemplate =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src "
    "'sha256-x'; style-src 'sha256-y'; connect-src 'self'\">\n"
    "<title>Kinpath Race and Class chooser</title>\n<style>p { color: red; }</style>\n"
    "</head>\n<body>\n<h1 class=\"caption\" id=\"caption\">Kinpath Race and Class chooser</h1>\n"
    "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>\n"
    "<script>var page = 1;</script>\n</body>\n</html>\n";

inline std::string FromBase64(std::string_view text) {
    static constexpr std::string_view Digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=') break;
        const std::size_t digit = Digits.find(c);
        KINPATH_FUZZ_CHECK(digit != Digits.npos);
        group = group << 6 | static_cast<std::uint32_t>(digit);
        if ((bits += 6) >= 8) bytes += static_cast<char>(group >> (bits -= 8));
    }
    return bytes;
}

inline std::size_t Count(std::string_view text, std::string_view piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != text.npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

// The script inside the page decodes to the same bytes; the title is text:
// no element, entity or control character comes into the page from it, and
// the page's elements and policy are those of every published page.
inline void RunPublishInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t line = input.find('\n');
    const std::string_view title = line == input.npos ? std::string_view() : input.substr(0, line);
    const std::string_view script = line == input.npos ? input : input.substr(line + 1);
    const std::optional<std::string> page = PublishedPage(PublishTemplate, script, title);
    KINPATH_FUZZ_CHECK(page.has_value());

    constexpr std::string_view Open = "id=\"kinpath-script\" data-embedded>";
    const std::size_t begin = page->find(Open) + Open.size();
    const std::size_t end = page->find("</script>", begin);
    KINPATH_FUZZ_CHECK(begin >= Open.size() && end != page->npos);
    const std::string_view slot = std::string_view(*page).substr(begin, end - begin);
    KINPATH_FUZZ_CHECK(slot.size() % 4 == 0);
    KINPATH_FUZZ_CHECK(FromBase64(slot) == script);

    // Without the script's bytes, the page is the one published for no bytes.
    const std::string rest = page->substr(0, begin) + page->substr(end);
    KINPATH_FUZZ_CHECK(rest == *PublishedPage(PublishTemplate, "", title));
    KINPATH_FUZZ_CHECK(Count(rest, "<") == Count(PublishTemplate, "<"));
    KINPATH_FUZZ_CHECK(Count(rest, "style-src 'sha256-y'\">") == 1);  // nothing fetched
    KINPATH_FUZZ_CHECK(Count(rest, "connect-src 'self'\">") == 0);
    const std::size_t titleBegin = rest.find("<title>") + 7;
    const std::string shown = rest.substr(titleBegin, rest.find("</title>") - titleBegin);
    KINPATH_FUZZ_CHECK(IsValidUtf8(shown));
    KINPATH_FUZZ_CHECK(shown == ReplaceHiddenControls(shown));
    KINPATH_FUZZ_CHECK(title.empty() || rest.find("<h1 class=\"caption\" id=\"caption\">" + shown +
                                                  "</h1>") != rest.npos);
}

}  // namespace kinpath::fuzz
