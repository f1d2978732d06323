// Shared test fixtures: a scratch working directory and a clean program state.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace kinpath::testing {

// Runs the test in a fresh empty directory (the program reads and writes its
// files in the working directory) and resets every global before and after.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes bytes as script.txt in the scratch directory.
    void WriteScript(const std::string& bytes);
    std::string ReadFile(const std::string& name) const;
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path previous_;
};

}  // namespace kinpath::testing
