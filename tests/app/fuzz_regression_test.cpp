// Replays every saved fuzz input (the seed corpus and each crash the fuzzers
// ever found) through the fuzz targets' own entry functions, so a fixed fault
// stays fixed in every build, the sanitizer build included.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../fuzz/FuzzDrivers.h"
#include "TestSupport.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

const fs::path FuzzDir = fs::path(KINPATH_EXAMPLES_DIR).parent_path() / "fuzz";

std::vector<fs::path> Inputs(const std::string& target) {
    std::vector<fs::path> files;
    for (const char* kind : {"corpus", "regressions"}) {
        fs::path dir = FuzzDir / kind / target;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzRegressionTest : public ProgramTest {
protected:
    template <typename Entry>
    void Replay(const std::string& target, Entry entry) {
        std::vector<fs::path> files = Inputs(target);
        // Every target ships seeds, so an empty list means the folder moved.
        ASSERT_FALSE(files.empty()) << "no inputs under " << (FuzzDir / "*" / target);
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.string());
            std::string bytes = Bytes(file);
            entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
    }
};

TEST_F(FuzzRegressionTest, ScriptInputsRunToTheResults) {
    Replay("script_fuzz", fuzz::RunScriptInput);
}

TEST_F(FuzzRegressionTest, PaneInputsExportAndPrint) {
    Replay("pane_fuzz", fuzz::RunPaneInput);
}

}  // namespace
}  // namespace kinpath::testing
