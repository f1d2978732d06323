// Shared test fixtures: a scratch working directory and the in-memory window
// that records what the program shows.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "flow/Session.h"

namespace kinpath::testing {

inline bool Has(std::string_view text, std::string_view piece) {
    return text.find(piece) != text.npos;
}

// The script loaded into a document of its own; a script that does not load fails the test.
std::shared_ptr<const ScriptDocument> LoadedScript(const std::string& script);

// Runs the test in a fresh empty directory (the program reads and writes its
// files in the working directory), with a window of its own.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes bytes as script.txt (or another UTF-8 name) in the scratch directory.
    void WriteScript(const std::string& bytes, const std::string& name = "script.txt");
    std::string ReadFile(const std::string& name) const;
    const std::filesystem::path& Dir() const { return dir_; }
    // Writes the script and starts the window on it (the first question is
    // then shown); whether it loaded.
    bool Start(const std::string& script);

    // What the run has scored and where it stands.
    const Session& session() const { return dialog.Scores(); }
    HeadlessDialog dialog;

private:
    std::filesystem::path dir_;
    std::filesystem::path previous_;
};

}  // namespace kinpath::testing
