// Loading generated scripts of 0.1, 1 and 10 MB (1x, 10x, 100x): the
// reader and the document alone, and the whole start-up of the window on them.
// The scripts come from bench/scale/gen_script.sh, the same ones the
// whole-process timing in bench/scale/run_scale.sh uses.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "HeadlessDialog.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "app/MainDialog.h"

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
        std::string command =
            "sh '" + Generator.string() + "' " + std::to_string(sizeKb) + " > '" +
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
    body();
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["questions"] = static_cast<double>(TheScriptDocument.questions.size());
    ResetProgramState();
    fs::current_path(previous);
}

void BM_ParseScript(benchmark::State& state) {
    InScriptFolder(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            ResetProgramState();  // freeing the last document is not part of a load
            state.ResumeTiming();
            if (OpenScript(TheScriptDocument) == 0 || TheScriptDocument.Parse(nullptr) == -1) {
                state.SkipWithError("script did not load");
                break;
            }
        }
    });
}
BENCHMARK(BM_ParseScript)->Arg(102)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

// The line reader alone (read, trim, lower-case the key part): the floor under
// any parse with this line protocol.
void BM_ReadLinesOnly(benchmark::State& state) {
    InScriptFolder(state, [&] {
        char line[LineBufferSize];
        for (auto _ : state) {
            std::FILE* file = std::fopen(ScriptFileName, "r");
            std::size_t lines = 0;
            while (ReadScriptLine(file, line, LineBufferSize) == 1) {
                TrimLine(line);
                LowerKey(line);
                ++lines;
            }
            std::fclose(file);
            benchmark::DoNotOptimize(lines);
        }
    });
}
BENCHMARK(BM_ReadLinesOnly)->Arg(10240)->Unit(benchmark::kMillisecond);

// Loading, greeting and showing the first question, as the window starts.
void BM_StartUp(benchmark::State& state) {
    InScriptFolder(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            ResetProgramState();
            state.ResumeTiming();
            testing::HeadlessDialog dialog;
            DialogInit(dialog);
            dialog.DispatchPosted();
            if (!dialog.boxes.empty()) {
                state.SkipWithError("start-up showed a box");
                break;
            }
        }
    });
}
BENCHMARK(BM_StartUp)->Arg(102)->Arg(1024)->Arg(10240)->Unit(benchmark::kMillisecond);

}  // namespace
