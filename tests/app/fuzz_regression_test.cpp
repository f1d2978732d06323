// Replays every saved fuzz input (the seed corpus and each crash the fuzzers
// ever found) through the fuzz targets' own entry functions, so a fixed fault
// stays fixed in every build, the sanitizer build included.
#include <filesystem>
#include <string>

#include "../../fuzz/BalanceFuzz.h"
#include "../../fuzz/FuzzDrivers.h"
#include "../../fuzz/PublishFuzz.h"
#include "TestSupport.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

using FuzzRegressionTest = ProgramTest;

TEST_F(FuzzRegressionTest, EverySavedInputPassesItsTarget) {
    const std::pair<const char*, void (*)(const std::uint8_t*, std::size_t)> targets[] = {
        {"script_fuzz", fuzz::RunScriptInput},
        {"pane_fuzz", fuzz::RunPaneInput},
        {"balance_fuzz", fuzz::RunBalanceInput},
        {"publish_fuzz", fuzz::RunPublishInput}};
    for (const auto& [target, run] : targets) {
        int replayed = 0;
        for (const char* kind : {"corpus", "regressions"}) {
            const fs::path folder = fs::path(KINPATH_FUZZ_DIR) / kind / target;
            if (!fs::exists(folder)) continue;  // none found yet
            for (const auto& e : fs::directory_iterator(folder)) {
                SCOPED_TRACE(e.path().string());
                const std::string bytes = ReadFile(e.path().string());  // absolute: read there
                run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
                ++replayed;
            }
        }
        // Every target ships seeds, so none means the folder moved.
        EXPECT_GT(replayed, 0) << "no inputs for " << target << " under " << KINPATH_FUZZ_DIR;
    }
}

}  // namespace
}  // namespace kinpath::testing
