#include "authoring/publish/Publish.h"

#include <filesystem>
#include <utility>

#include "flow/Run.h"
#include "platform/Files.h"
#include "platform/SafeSave.h"
#include "script/ScriptDocument.h"
#include "text/HtmlText.h"
#include "text/PathText.h"
#include "text/TextCodec.h"
#include "window/WindowWords.h"

namespace kinpath {

namespace {

// Where the page keeps its script, and the part of its policy that lets a
// page without a script fetch script.txt from its own site. A filled slot is
// marked, so that an empty script is a script too.
constexpr std::string_view ScriptSlot =
    "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>";
constexpr std::string_view FilledSlotOpen =
    "<script type=\"application/octet-stream\" id=\"kinpath-script\" data-embedded>";
constexpr std::string_view SlotClose = "</script>";
constexpr std::string_view OwnSiteFetch = "; connect-src 'self'\">";
// The page's title, and its heading where the page has one.
constexpr std::string_view TitleOpen = "<title>";
constexpr std::string_view TitleClose = "</title>";
constexpr std::string_view HeadingOpen = "id=\"caption\">";
constexpr std::string_view HeadingClose = "</h1>";
// The opening screen: hidden in the page without a script, shown with the
// title, the length and the greeting as soon as a published page paints.
constexpr std::string_view OpeningHidden = "id=\"opening\" hidden>";
constexpr std::string_view OpeningShown = "id=\"opening\" data-filled>";
constexpr std::string_view OpeningTitle = "id=\"opening-title\">";
constexpr std::string_view OpeningAbout = "id=\"opening-about\">";

bool OccursOnce(std::string_view text, std::string_view piece) {
    const std::size_t first = text.find(piece);
    return first != text.npos && text.find(piece, first + 1) == text.npos;
}

std::string Replaced(std::string text, std::string_view piece, std::string_view by) {
    return text.replace(text.find(piece), piece.size(), by);
}

// Replaces what stands between open and the next close.
void ReplaceBetween(std::string& text, std::string_view open, std::string_view close,
                    std::string_view by) {
    const std::size_t begin = text.find(open) + open.size();
    const std::size_t end = text.find(close, begin);
    if (end != text.npos) text.replace(begin, end - begin, by);
}

// Base64 holds no character that could end the script element around it.
void AppendBase64(std::string& out, std::string_view bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? Digits[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
}

// Any text as page text: UTF-8, no control character, no markup.
std::string PageText(std::string_view bytes) {
    return HtmlEscaped(ReplaceHiddenControls(DisplayText(bytes)));
}

// The opening's title (page text already) and what it says of the script:
// its number of questions and its greeting; none for a script of no
// question, which goes straight to its results.
void FillOpening(std::string& shell, std::string_view script) {
    auto document = std::make_shared<ScriptDocument>();
    if (!LoadScriptText(*document, script).loaded) return;
    const Screen start = Run::Replay(document, {}).Render();
    if (start.questionCount == 0 || !OccursOnce(shell, OpeningHidden)) return;
    const std::size_t title = shell.find(TitleOpen) + TitleOpen.size();
    const std::string text = shell.substr(title, shell.find(TitleClose, title) - title);
    std::string about = "<p>" + std::to_string(start.questionCount) +
                        (start.questionCount == 1 ? " question" : " questions") + "</p>";
    for (std::size_t at = 0; at < start.pane.size();) {
        const std::size_t end = std::min(start.pane.find("\r\n", at), start.pane.size());
        about +=
            "<p>" + HtmlEscaped(ReplaceHiddenControls(start.pane.substr(at, end - at))) + "</p>";
        at = end + 2;
    }
    shell = Replaced(std::move(shell), OpeningHidden, OpeningShown);
    shell.insert(shell.find(OpeningTitle) + OpeningTitle.size(), text);
    shell.insert(shell.find(OpeningAbout) + OpeningAbout.size(), about);
}

// The page may not be the saved results (named so in any folder, as the
// programs save them beside whatever they run, or the same file by another
// name: a link, a hard link, a Windows short name), the script, which must
// survive its own publishing, or a page without a script, which every later
// publish needs. Names are compared as the system stores them, files by what
// they are.
bool OutputAllowed(const std::string& output, const PublishRequest& request) {
    namespace fs = std::filesystem;
    const fs::path given = PathFromUtf8(output);
    const std::string leaf = StoredName(Utf8FromPath(given.filename()));
    const fs::path folder = given.has_parent_path() ? given.parent_path() : fs::path(".");
    const fs::path path = folder / PathFromUtf8(leaf);
    std::error_code ec;
    // The folder the file is really in, its links followed.
    const fs::path really = fs::weakly_canonical(path, ec).parent_path();
    if (SameText(leaf, HtmlFileName) ||
        fs::equivalent(path, really / PathFromUtf8(HtmlFileName), ec) ||
        fs::equivalent(path, PathFromUtf8(request.script), ec)) {
        return false;
    }
    for (const std::string& page : request.pages) {
        const fs::path other = PathFromUtf8(page);
        if (fs::equivalent(path, other, ec) || (SameText(leaf, Utf8FromPath(other.filename())) &&
                                                fs::equivalent(folder, other.parent_path(), ec))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> PublishedPage(std::string_view page, std::string_view scriptBytes,
                                         std::string_view title) {
    if (!OccursOnce(page, ScriptSlot) || !OccursOnce(page, OwnSiteFetch) ||
        !OccursOnce(page, TitleOpen)) {
        return std::nullopt;
    }
    // The page without the script's bytes first: it is small, and the script's
    // bytes then go once into a string of the published page's size.
    std::string shell = Replaced(std::string(page), OwnSiteFetch, "\">");
    if (!title.empty()) {
        const std::string text = PageText(title);
        ReplaceBetween(shell, TitleOpen, TitleClose, text);
        if (OccursOnce(shell, HeadingOpen)) ReplaceBetween(shell, HeadingOpen, HeadingClose, text);
    }
    FillOpening(shell, scriptBytes);
    const std::size_t slot = shell.find(ScriptSlot);
    const std::size_t body = slot + FilledSlotOpen.size();
    shell.replace(slot, ScriptSlot.size(), std::string(FilledSlotOpen) + std::string(SlotClose));
    std::string published;
    published.reserve(shell.size() + (scriptBytes.size() + 2) / 3 * 4);
    published.append(shell, 0, body);
    AppendBase64(published, scriptBytes);
    published.append(shell, body);
    return published;
}

// A game's title shows before the page's script runs, to a search engine or a link preview.
std::string PublishedTitle(std::string_view script, std::string_view asked) {
    if (!asked.empty()) return std::string(asked);
    ScriptDocument document;
    LoadScriptText(document, script);
    return document.DeclaredGame() ? document.DeclaredGame()->title : "";
}

std::string PublishedPageName(const std::string& scriptPath) {
    return Utf8FromPath(PathFromUtf8(scriptPath).replace_extension(".html"));
}

PublishOutcome Publish(const PublishRequest& request, FileSystem& files, const CheckSink& sink) {
    PublishOutcome outcome;
    outcome.output = request.output.empty() ? PublishedPageName(request.script) : request.output;
    if (!OutputAllowed(outcome.output, request)) {
        outcome.status = PublishStatus::NameRefused;
        return outcome;
    }
    for (const std::string& page : request.pages) {
        if (KindOf(page) == FileKind::Regular) {
            outcome.page = page;
            break;
        }
    }
    if (outcome.page.empty()) {
        outcome.status = PublishStatus::PageNotFound;
        return outcome;
    }
    ScriptFileText script = ReadScriptFile(request.script);
    if (script.failure != ReadFailure::None) {
        outcome.scriptFailure = std::move(script);
        outcome.status = PublishStatus::ScriptUnreadable;
        return outcome;
    }
    outcome.check = CheckScript(script.bytes, sink);
    if (outcome.check.errors > 0) {
        outcome.status = PublishStatus::ScriptHasErrors;
        return outcome;
    }
    const ScriptFileText page = ReadScriptFile(outcome.page);
    const std::string title = PublishedTitle(script.bytes, request.title);
    const std::optional<std::string> published =
        page.failure == ReadFailure::None ? PublishedPage(page.bytes, script.bytes, title)
                                          : std::nullopt;
    if (!published) {
        outcome.status = PublishStatus::NotThePage;
        return outcome;
    }
    // The script's bytes are in the page now; a page written in place holds
    // the old page's bytes beside it.
    ScriptBytes().swap(script.bytes);
    outcome.bytes = published->size();
    outcome.status = SaveFile(files, outcome.output, *published) ? PublishStatus::Written
                                                                 : PublishStatus::NotWritten;
    return outcome;
}

}  // namespace kinpath
