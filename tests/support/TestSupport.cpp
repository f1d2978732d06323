#include "TestSupport.h"

#include <fstream>
#include <random>
#include <sstream>

#include "text/PathText.h"

namespace kinpath::testing {

void ProgramTest::SetUp() {
    previous_ = std::filesystem::current_path();
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() /
           ("kinpath-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
}

void ProgramTest::TearDown() {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
}

void ProgramTest::WriteScript(const std::string& bytes, const std::string& name) {
    std::ofstream out(dir_ / PathFromUtf8(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ProgramTest::ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / PathFromUtf8(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::shared_ptr<const ScriptDocument> LoadedScript(const std::string& script) {
    auto document = std::make_shared<ScriptDocument>();
    EXPECT_TRUE(LoadScriptText(*document, script).loaded);
    return document;
}

bool ProgramTest::Start(const std::string& script) {
    WriteScript(script);
    return dialog.Start();
}

}  // namespace kinpath::testing
