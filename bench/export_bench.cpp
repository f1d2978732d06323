// Saving a results pane filled to capacity as Kinpath.html.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "HeadlessDialog.h"
#include "app/HtmlExport.h"
#include "flow/Session.h"
#include "flow/Transcript.h"

namespace {

// A pane at its limit, with report-like lines and characters to escape.
kinpath::Screen FullPane() {
    kinpath::Transcript pane;
    for (int i = 0; pane.Length() < kinpath::TranscriptCapacity; ++i) {
        std::string line = "Answer " + std::to_string(i) +
                           ": you like to fight up close & <loud>, \"caf\xC3\xA9\" style.";
        kinpath::AppendTranscriptLine(pane, line);
    }
    kinpath::Screen screen;
    screen.pane = pane.Text();
    screen.paneLines = kinpath::UnwrappedLines(screen.pane);
    return screen;
}

void BM_ExportHtmlFullPane(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path previous = fs::current_path();
    fs::path dir = fs::temp_directory_path() / ("kinpath-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);

    kinpath::testing::HeadlessDialog dialog;
    const kinpath::Screen screen = FullPane();
    for (auto _ : state) {
        bool ok = static_cast<bool>(kinpath::ExportHtml(screen, dialog));
        benchmark::DoNotOptimize(ok);
    }
    state.counters["lines"] = static_cast<double>(screen.paneLines.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(dir / kinpath::HtmlFileName)));

    fs::current_path(previous);
    fs::remove_all(dir);
}
BENCHMARK(BM_ExportHtmlFullPane)->Unit(benchmark::kMicrosecond);

// The page alone, without the file system.
void BM_BuildHtmlPageFullPane(benchmark::State& state) {
    const kinpath::Screen screen = FullPane();
    for (auto _ : state) benchmark::DoNotOptimize(kinpath::BuildHtmlPage(screen));
}
BENCHMARK(BM_BuildHtmlPageFullPane)->Unit(benchmark::kMicrosecond);

}  // namespace
