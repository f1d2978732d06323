// kinpath-cli run whole inside this process, where memory runs out at every
// size of allocation: each command ends with a message and status 1, or does
// its work as without the limit; none aborts.
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <tuple>

#include "FailingNew.h"
#include "TestSupport.h"
#include "frontends/term/Program.h"

namespace kinpath::testing {
namespace {

struct Outcome {
    int status;
    std::string out, err;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

std::string Contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

class ProgramRunTest : public ProgramTest {
protected:
    // The program with allocations of failFrom bytes or more failing, up to failBelow.
    Outcome Program(const std::vector<std::string>& args, std::size_t failFrom,
                    std::size_t failBelow = SIZE_MAX) {
        std::FILE *in = std::tmpfile(), *out = std::tmpfile(), *err = std::tmpfile();
        std::ostringstream textOut, textErr;
        FailFrom = failFrom;
        FailBelow = failBelow;
        const int status = term::RunProgram(args, {(Dir() / "page.html").string()},
                                            {in, out, err, textOut, textErr});
        FailFrom = FailBelow = SIZE_MAX;
        std::fclose(in);
        return {status, Contents(out) + textOut.str(), Contents(err) + textErr.str()};
    }
    // A script of `size` bytes, most of it comments, so that every command is quick.
    void WriteLongScript(std::size_t size) {
        std::string script =
            "<QUESTION>\nname=Q\ntext=a\n<ANSWER>\ntype=1\nwarpts=1\n</ANSWER>\n</QUESTION>\n";
        while (script.size() < size) script += "# " + std::string(500, 'x') + "\n";
        WriteScript(script);
    }
};

TEST_F(ProgramRunTest, MemoryThatRunsOutEndsEveryCommandWithAMessage) {
    // 0.9 MB, read into memory of its own size (a larger one starts on a large
    // page, and takes more).
    WriteLongScript(900 << 10);
    WriteScript(
        "<meta content=\"default-src 'none'; connect-src 'self'\"><title>T</title>"
        "<script type=\"application/octet-stream\" id=\"kinpath-script\"></script>",
        "page.html");
    bool outOfMemory = false;
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--check"},
                                                 {"--balance", "--runs", "3000", "--jobs", "2"},
                                                 {"--publish", "-o", "p.html"},
                                                 {"--help"}}) {
        const Outcome normal = Program(args, SIZE_MAX);
        // Every fourth power of two; 1 MB is more than the script, less than
        // the page published from it.
        for (const std::size_t from :
             {1 << 24, 1 << 22, 1 << 20, 1 << 18, 1 << 16, 1 << 14, 1 << 12}) {
            const Outcome run = Program(args, from);
            SCOPED_TRACE((args.empty() ? "" : args[0]) + " with allocations of " +
                         std::to_string(from) + " bytes failing:\n" + run.err);
            if (run == normal) continue;
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(Has(run.err, "kinpath-cli: out of memory\n") ||
                        Has(run.err, ": error: cannot open (too large to hold in memory)\n") ||
                        Has(run.err, "(out of memory)\n") ||
                        Has(run.err, "Error: Could not open script.txt\n"));
            outOfMemory |= Has(run.err, "kinpath-cli: out of memory\n");
        }
    }
    EXPECT_TRUE(outOfMemory);  // the handler of last resort was reached
    // A script of megabytes gets room for its lists before it is read: its
    // bytes (6 MB with their large page) are read, its lists find no room.
    WriteLongScript(3 << 20);
    const Outcome run = Program({}, 1 << 18, 6 << 20);
    EXPECT_EQ(std::tuple(run.status, run.err), std::tuple(1, "Error: Could not open script.txt\n"));
}

}  // namespace
}  // namespace kinpath::testing
