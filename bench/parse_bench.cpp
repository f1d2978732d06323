// Loading generated scripts of 0.1, 1 and 10 MB (1x, 10x, 100x): from the
// file and from memory, the reader alone, the check, and the whole start-up of
// the window on them.
// The scripts come from bench/scale/gen_script.sh, the same ones the
// whole-process timing in bench/scale/run_scale.sh uses.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>

#include "HeadlessDialog.h"
#include "app/MainDialog.h"
#include "authoring/check/ScriptCheck.h"
#include "flow/Session.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "script/ScriptReader.h"

namespace {

using namespace kinpath;
namespace fs = std::filesystem;

const fs::path Generator =
    fs::path(KINPATH_EXAMPLES_DIR).parent_path() / "bench" / "scale" / "gen_script.sh";

// A private folder holding one generated script.txt per size, made once.
class ScriptFolder {
public:
    ~ScriptFolder() {
        std::error_code ec;
        for (const auto& [size, dir] : dirs_) fs::remove_all(dir, ec);
    }
    // The folder whose script.txt has about sizeKb kilobytes; empty on failure.
    fs::path For(int sizeKb) {
        auto it = dirs_.find(sizeKb);
        if (it != dirs_.end()) return it->second;
        std::string name = (fs::temp_directory_path() / "kinpath-bench-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) return {};
        fs::path dir(name);
        std::string command = "sh '" + Generator.string() + "' " + std::to_string(sizeKb) + " > '" +
                              (dir / ScriptFileName).string() + "'";
        if (std::system(command.c_str()) != 0) return {};
        return dirs_[sizeKb] = dir;
    }

private:
    std::map<int, fs::path> dirs_;
};

ScriptFolder Scripts;

// Runs the body with the working directory in the folder of the given size.
template <typename Body>
void InScriptFolder(benchmark::State& state, Body body) {
    int sizeKb = static_cast<int>(state.range(0));
    fs::path dir = Scripts.For(sizeKb);
    if (dir.empty()) {
        state.SkipWithError("could not generate the script (bench/scale/gen_script.sh)");
        return;
    }
    fs::path previous = fs::current_path();
    fs::current_path(dir);
    auto bytes = static_cast<std::int64_t>(fs::file_size(dir / ScriptFileName));
    std::size_t questions = body();
    state.SetBytesProcessed(state.iterations() * bytes);
    if (questions > 0) state.counters["questions"] = static_cast<double>(questions);
    fs::current_path(previous);
}

// Reading script.txt and parsing it, as the window's start-up does.
void BM_LoadScript(benchmark::State& state) {
    InScriptFolder(state, [&] {
        ScriptDocument document;
        for (auto _ : state) {
            state.PauseTiming();
            document = ScriptDocument();  // freeing the last document is not part of a load
            state.ResumeTiming();
            if (!LoadScript(document).loaded) {
                state.SkipWithError("script did not load");
                break;
            }
        }
        return document.Questions().size();
    });
}
BENCHMARK(BM_LoadScript)->Arg(102)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

// The parse alone, on the text already in memory.
void BM_LoadScriptText(benchmark::State& state) {
    InScriptFolder(state, [&] {
        const ScriptBytes bytes = ReadScriptFile(ScriptFileName).bytes;
        ScriptDocument document;
        for (auto _ : state) {
            state.PauseTiming();
            document = ScriptDocument();
            ScriptBytes copy = bytes;  // the parse takes the text over
            state.ResumeTiming();
            if (!LoadScriptText(document, std::move(copy)).loaded) {
                state.SkipWithError("script did not load");
                break;
            }
        }
        return document.Questions().size();
    });
}
BENCHMARK(BM_LoadScriptText)->Arg(102)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

// The script's reader alone (pieces, trimming, what each line is): the floor
// under the load and the check.
void BM_ReadLinesOnly(benchmark::State& state) {
    InScriptFolder(state, [&] {
        const ScriptBytes bytes = ReadScriptFile(ScriptFileName).bytes;
        std::size_t lines = 0;
        for (auto _ : state) {
            ScriptReader reader(bytes);
            lines = 0;
            for (ScriptLine line; reader.Next(line);) ++lines;
            benchmark::DoNotOptimize(lines);
        }
        return std::size_t{0};
    });
}
BENCHMARK(BM_ReadLinesOnly)->Arg(10240)->Unit(benchmark::kMillisecond);

// The check of --check, text already in memory, listing 100 of each kind.
void BM_CheckScript(benchmark::State& state) {
    InScriptFolder(state, [&] {
        const ScriptBytes bytes = ReadScriptFile(ScriptFileName).bytes;
        int questions = 0;
        for (auto _ : state) {
            questions = CheckScript(bytes, [](const CheckDiagnostic&) {}, {100}).questions;
        }
        return std::size_t(questions);
    });
}
BENCHMARK(BM_CheckScript)->Arg(10240)->Unit(benchmark::kMillisecond);

// Loading, greeting and showing the first question, as the window starts.
void BM_StartUp(benchmark::State& state) {
    InScriptFolder(state, [&] {
        std::optional<testing::HeadlessDialog> dialog;
        for (auto _ : state) {
            state.PauseTiming();
            dialog.reset();  // tearing the last run down is not part of the start-up
            state.ResumeTiming();
            dialog.emplace();
            dialog->Start();
            if (!dialog->boxes.empty()) {
                state.SkipWithError("start-up showed a box");
                break;
            }
        }
        return dialog ? dialog->Scores().Document().Questions().size() : 0;
    });
}
BENCHMARK(BM_StartUp)->Arg(102)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

}  // namespace
