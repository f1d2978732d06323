// Shared test fixtures: a scratch working directory and a fresh session with
// the in-memory dialog that records what the program shows.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "HeadlessDialog.h"
#include "flow/Session.h"

namespace kinpath::testing {

// Runs the test in a fresh empty directory (the program reads and writes its
// files in the working directory), with a session of its own.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes bytes as script.txt (or another UTF-8 name) in the scratch directory.
    void WriteScript(const std::string& bytes, const std::string& name = "script.txt");
    std::string ReadFile(const std::string& name) const;
    const std::filesystem::path& Dir() const { return dir_; }
    // Writes the script, runs the dialog's start-up and the posted requests
    // (the first question is then shown); whether it loaded.
    bool Start(const std::string& script);

    Session session;
    HeadlessDialog dialog{session};

private:
    std::filesystem::path dir_;
    std::filesystem::path previous_;
};

}  // namespace kinpath::testing
