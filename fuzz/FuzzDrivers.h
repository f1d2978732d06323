// The two fuzz entry functions, shared by the libFuzzer targets and by the
// regression test that replays every saved input in the normal test build.
//
// Both expect the working directory to be a private, writable scratch folder:
// the program reads script.txt and writes Kinpath.html there.
//
// A property that must hold for every input is checked with KINPATH_FUZZ_CHECK;
// a violation aborts, so the fuzzer records the input as a crash.
#pragma once

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/HtmlExport.h"
#include "app/MainDialog.h"
#include "app/MemoryView.h"
#include "app/PrintTranscript.h"
#include "app/WindowDriver.h"
#include "authoring/check/ScriptCheck.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "flow/Transcript.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "text/TextCodec.h"
#include "window/ControlIds.h"

namespace kinpath::fuzz {

#ifndef _WIN32  // the fuzzers run on Linux; the regression test runs everywhere
// One private folder for a whole fuzzing run: script.txt and Kinpath.html live
// there. Memory-backed when possible, so the export's syncs cost nothing.
inline void EnterPrivateFolder() {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = base + "/kinpath-fuzz-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) std::abort();
}
#endif

// Separates the script from the command bytes that drive the dialog. Without
// it the whole input is the script and the commands default to answering the
// first choice of every question.
inline constexpr std::string_view CommandMarker = "\n#!kinpath-commands\n";

// Reads input bytes one at a time; zero once they are used up.
class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t Next32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Next();
        return v;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A printer that only records what reaches it, with its settings from the input.
class FuzzSurface : public PrintSurface {
public:
    struct Log {
        int documents = 0;
        int pagesOpen = 0;
        int pages = 0;
        int lines = 0;
        bool fontSet = false;
        bool released = false;
    };
    FuzzSurface(ByteSource& in, Log& log) : log_(log) {
        std::uint8_t mode = in.Next();
        selectionOnly_ = (mode & 1) != 0;
        startFails_ = (mode & 2) != 0;
        // Ordinary resolutions mostly, now and then anything at all.
        dpiX_ = (mode & 4) ? static_cast<int>(in.Next32()) : 72 + in.Next() * 4;
        dpiY_ = (mode & 8) ? static_cast<int>(in.Next32()) : 72 + in.Next() * 4;
        if (mode & 16) {
            first_ = static_cast<int>(in.Next32() % 8) - 1;
            last_ = static_cast<int>(in.Next32() % 8) - 1;
        }
    }
    ~FuzzSurface() override { log_.released = true; }
    bool SelectionOnly() const override { return selectionOnly_; }
    int FirstPage() const override { return first_; }
    int LastPage() const override { return last_; }
    int DotsPerInchX() const override { return dpiX_; }
    int DotsPerInchY() const override { return dpiY_; }
    void SetFont(std::string_view face, int cellHeight) override {
        KINPATH_FUZZ_CHECK(!face.empty());
        KINPATH_FUZZ_CHECK(cellHeight > 0);
        log_.fontSet = true;
    }
    bool StartDocument(std::string_view name) override {
        KINPATH_FUZZ_CHECK(name == "Kinpath");
        ++log_.documents;
        return !startFails_;
    }
    bool StartPage() override {
        KINPATH_FUZZ_CHECK(log_.documents == 1 && !startFails_);
        KINPATH_FUZZ_CHECK(log_.pagesOpen == 0);
        ++log_.pagesOpen;
        ++log_.pages;
        return true;
    }
    void DrawText(int x, int y, std::string_view text) override {
        KINPATH_FUZZ_CHECK(log_.pagesOpen == 1);
        KINPATH_FUZZ_CHECK(x >= 0 && y >= 0);
        KINPATH_FUZZ_CHECK(!text.empty());
        KINPATH_FUZZ_CHECK(text == ReplaceHiddenControls(text));  // no control reaches the printer
        ++log_.lines;
    }
    bool EndPage() override {
        KINPATH_FUZZ_CHECK(log_.pagesOpen == 1);
        --log_.pagesOpen;
        return true;
    }
    bool EndDocument() override {
        KINPATH_FUZZ_CHECK(log_.pagesOpen == 0);
        return true;
    }

private:
    Log& log_;
    bool selectionOnly_ = false;
    bool startFails_ = false;
    int dpiX_ = 300;
    int dpiY_ = 300;
    int first_ = 0;
    int last_ = 0;
};

// The in-memory window with Yes/No boxes answered from the input and a
// recording printer; it never blocks.
class FuzzDialog : public MemoryView {
public:
    explicit FuzzDialog(ByteSource& in) : driver(*this, clock), in_(in) {}

    void DrawBox(const Box* box) override {
        if (box == nullptr) return;
        // Every failure the user hears of names itself.
        KINPATH_FUZZ_CHECK(!box->text.empty() && !box->caption.empty());
        ++boxes;
        if (!answerBoxes) return;
        if (box->buttons == BoxButtons::Ok) return driver.Answer(BoxResult::Ok);
        driver.Answer((in_.Next() & 1) ? BoxResult::Yes : BoxResult::No);
    }
    // A click: only a usable control takes one.
    void Click(int id) {
        if (driver.Shown().Usable(id)) driver.Press(id);
    }
    const std::string& PaneText() const { return driver.Shown().pane; }
    bool OpenFile(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    void AskPrint(bool) override { driver.Printed(Printer()); }
    // What the print dialog answers, its log a new one.
    std::unique_ptr<PrintSurface> Printer() {
        logs.emplace_back();
        if (in_.Next() & 0x80) return nullptr;  // the user cancelled
        return std::make_unique<FuzzSurface>(in_, logs.back());
    }

    SteadyClock clock;
    WindowDriver driver;
    int boxes = 0;
    bool answerBoxes = true;  // as soon as they are shown
    std::vector<std::string> opened;
    std::deque<FuzzSurface::Log> logs;  // a deque: logs stay put while it grows

private:
    ByteSource& in_;
};

inline std::string ReadWholeFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The HTML export must write the page the pane shows, or report that it could not.
inline void CheckExport(FuzzDialog& dialog, const Screen& screen) {
    std::string expected = BuildHtmlPage(screen);
    KINPATH_FUZZ_CHECK(expected.rfind("<html>\r\n", 0) == 0);
    KINPATH_FUZZ_CHECK(expected.size() >= 9 &&
                       expected.compare(expected.size() - 9, 9, "</html>\r\n") == 0);
    // No control character of the pane reaches the page: only its own line breaks.
    for (char c : expected)
        KINPATH_FUZZ_CHECK(c == '\r' || c == '\n' || c == '\t' ||
                           !IsHiddenControl(Cp1252CodePoint(static_cast<unsigned char>(c))));
    std::size_t opened = dialog.opened.size();
    const ExportOutcome outcome = ExportHtml(screen, dialog);
    if (outcome.saved) {
        KINPATH_FUZZ_CHECK(dialog.opened.size() == opened + 1);
        KINPATH_FUZZ_CHECK(ReadWholeFile(HtmlFileName) == expected);
    } else {
        KINPATH_FUZZ_CHECK(outcome.notice &&
                           outcome.notice->text == "Could not write Kinpath.html");
    }
}

inline void CheckPrint(FuzzDialog& dialog, Screen& screen) {
    std::size_t before = dialog.logs.size();
    const std::optional<Box> notice = PrintTranscript(dialog.Printer(), screen, dialog);
    if (notice) KINPATH_FUZZ_CHECK(notice->text == "Could not print the results");
    KINPATH_FUZZ_CHECK(dialog.logs.size() == before + 1);
    const FuzzSurface::Log& log = dialog.logs.back();
    if (log.documents > 0) KINPATH_FUZZ_CHECK(log.released && log.pagesOpen == 0);
}

// Target (a): any bytes as script.txt, then the dialog driven by commands taken
// from the input's tail, to the results and the HTML export.
inline void RunScriptInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view script = input;
    std::string_view commands;
    std::size_t marker = input.rfind(CommandMarker);
    if (marker != std::string_view::npos) {
        script = input.substr(0, marker);
        commands = input.substr(marker + CommandMarker.size());
    }
    {
        std::FILE* f = std::fopen(ScriptFileName, "wb");
        KINPATH_FUZZ_CHECK(f != nullptr);
        if (!script.empty()) std::fwrite(script.data(), 1, script.size(), f);
        std::fclose(f);
    }

    // What the checker behind `kinpath-cli --check` says of the same bytes.
    ScriptFileText file = ReadScriptFile(ScriptFileName);
    KINPATH_FUZZ_CHECK(file.failure == ReadFailure::None);
    const CheckResult check = CheckScript(file.bytes);

    ByteSource in(reinterpret_cast<const std::uint8_t*>(commands.data()), commands.size());
    FuzzDialog dialog(in);
    const bool loaded = dialog.driver.Start(ScriptFileName);
    // The checker finds an error exactly where the loader stops its walk.
    KINPATH_FUZZ_CHECK((check.errors > 0) == !loaded);
    bool running = !dialog.driver.Ended();
    KINPATH_FUZZ_CHECK(running == loaded);
    const auto finished = [&] { return dialog.driver.CurrentRun()->Scores().QuestionsFinished(); };

    // Each command byte: the high three bits pick the action, the rest its argument.
    while (running && !in.Empty()) {
        std::uint8_t b = in.Next();
        int arg = b & 31;
        switch (b >> 5) {
            case 0:
                dialog.Click(IdChoice1 + arg % ChoiceButtonCount);
                break;
            case 1:
                dialog.Click(IdOk);
                break;
            case 2:
                dialog.Click(IdSkip);
                break;
            case 3:
                for (int t = 0; t <= arg; ++t) dialog.driver.Tick();
                break;
            case 4:
                dialog.Click(IdChoice1 + arg % ChoiceButtonCount);
                dialog.Click(IdOk);
                break;
            case 5:
                dialog.Click(arg & 1 ? IdHtml : IdPrint);
                break;
            case 6:
                dialog.driver.Back();
                break;
            default:
                dialog.driver.Selected({in.Next32(), in.Next32()});
                break;
        }
        running = !dialog.driver.Ended();
    }

    // On to the results: answer the first choice (or skip) until the questions end.
    for (int step = 0; running && !finished() && step < 100000; ++step) {
        dialog.Click(IdChoice1);
        dialog.Click(dialog.driver.Shown().Usable(IdOk) ? IdOk : IdSkip);
        running = !dialog.driver.Ended();
        if (step % 64 == 0) dialog.driver.Tick();
    }
    if (running) {
        for (int t = 0; t < 8; ++t) dialog.driver.Tick();
        const std::size_t length = Utf8Length(dialog.PaneText());
        KINPATH_FUZZ_CHECK(length <= TranscriptCapacity);
        const PaneLine& last = dialog.driver.Shown().paneLines.back();
        KINPATH_FUZZ_CHECK(last.start + Utf8Length(last.text) == length);
        CheckExport(dialog, dialog.driver.Shown());
        // The run taken back and given the same events again saves the same page.
        const std::string page = BuildHtmlPage(dialog.driver.Shown());
        const std::vector<Event> all = dialog.driver.CurrentRun()->Events();
        if (dialog.driver.Back()) {
            const std::size_t kept = dialog.driver.CurrentRun()->Events().size();
            KINPATH_FUZZ_CHECK(kept < all.size());
            dialog.answerBoxes = false;
            for (std::size_t i = kept; i < all.size(); ++i) dialog.driver.Feed(all[i]);
            dialog.answerBoxes = true;
            KINPATH_FUZZ_CHECK(dialog.driver.CurrentRun()->Events() == all);
            KINPATH_FUZZ_CHECK(BuildHtmlPage(dialog.driver.Shown()) == page);
        }
    }
    dialog.driver.Close();
}

// Target (b): pane texts through the HTML export and the print logic. The
// first bytes set the print dialog's answers and the selection, the rest are
// transcript lines (LF separated), optionally repeated up to the pane's capacity.
inline void RunPaneInput(const std::uint8_t* data, std::size_t size) {
    ByteSource in(data, size);
    std::uint8_t flags = in.Next();
    std::uint8_t repeat = in.Next();
    std::uint32_t selA = in.Next32();
    std::uint32_t selB = in.Next32();
    std::size_t head = 10 > size ? size : 10;
    std::string_view body(reinterpret_cast<const char*>(data) + head, size - head);

    // The print settings come from the end of the input, the text from the rest.
    std::size_t tail = body.size() < 16 ? body.size() : 16;
    ByteSource settings(reinterpret_cast<const std::uint8_t*>(body.data()) + body.size() - tail,
                        tail);
    FuzzDialog dialog(settings);
    Transcript transcript;

    int rounds = (flags & 1) ? 1 + repeat * 4 : 1;
    bool full = false;
    for (int r = 0; r < rounds && !full; ++r) {
        std::size_t start = 0;
        while (start <= body.size() && !full) {
            std::size_t end = body.find('\n', start);
            if (end == std::string_view::npos) end = body.size();
            std::string line(body.substr(start, end - start));
            AppendTranscriptLine(transcript, (flags & 2) && line.empty() ? nullptr : line.c_str());
            KINPATH_FUZZ_CHECK(transcript.Length() <= TranscriptCapacity);
            // One more append at capacity shows the cut; further ones only cost time.
            full = transcript.Length() + 2 > TranscriptCapacity;
            start = end + 1;
        }
    }
    if (full) AppendTranscriptLine(transcript, "past the end");
    KINPATH_FUZZ_CHECK(transcript.Length() <= TranscriptCapacity);
    Screen screen;
    screen.pane = transcript.Text();
    screen.paneLines = UnwrappedLines(screen.pane);
    KINPATH_FUZZ_CHECK(Utf8Length(screen.pane) == transcript.Length());

    // A selection the pane could hold.
    std::uint32_t length = static_cast<std::uint32_t>(transcript.Length());
    selA %= length + 1;
    selB %= length + 1;
    if (selA > selB) std::swap(selA, selB);
    screen.selection = {selA, selB};

    // The lines hold the whole text, however long, each line break between two.
    std::string joined;
    for (const PaneLine& line : screen.paneLines) {
        KINPATH_FUZZ_CHECK(line.start == Utf8Length(joined));
        joined += line.text + "\r\n";
    }
    KINPATH_FUZZ_CHECK(joined == screen.pane + "\r\n");

    CheckPrint(dialog, screen);
    if (flags & 8) CheckExport(dialog, screen);
    if (flags & 16) CheckPrint(dialog, screen);
}

}  // namespace kinpath::fuzz
