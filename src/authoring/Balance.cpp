#include "authoring/Balance.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <random>
#include <string_view>
#include <utility>

#include "flow/QuestionFlow.h"
#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "authoring/ScriptCheck.h"
#include "script/ScriptDocument.h"
#include "script/ScriptLines.h"
#include "window/ControlIds.h"
#include "app/MemoryDialog.h"

namespace kinpath {

namespace {

constexpr const char* UnknownName = "Unknown";
constexpr std::string_view UnableToFind = "Unable to find the proper answer data for that answer";

// The recording only asks which choice is checked and may show its one box:
// a plain array and a counter keep a run free of map look-ups and allocation.
class SimulationDialog final : public MemoryDialog {
public:
    bool IsChecked(int id) const override {
        const auto k = static_cast<unsigned>(id - IdChoice1);
        return k < checked_.size() && checked_[k];
    }
    void SetChecked(int id, bool checked) override {
        const auto k = static_cast<unsigned>(id - IdChoice1);
        if (k < checked_.size()) checked_[k] = checked;
    }
    BoxResult MessageBox(BoxOwner, std::string_view text, std::string_view, BoxButtons) override {
        if (text == UnableToFind) ++unmatched;
        return BoxResult::Ok;
    }

    std::uint64_t unmatched = 0;

private:
    std::array<bool, ChoiceCount> checked_{};
};

// Draws that are the same on every platform for a seed: the engine's output
// is fixed by the language standard, the mappings to ranges are our own.
class Draws {
public:
    explicit Draws(std::uint64_t seed) : engine_(seed) {}

    // Uniform in 0 .. n-1 (n > 0): draws below 2^64 mod n are rejected, so
    // every remainder is equally likely.
    std::uint32_t Below(std::uint32_t n) {
        const std::uint64_t reject = (0 - static_cast<std::uint64_t>(n)) % n;
        for (;;) {
            const std::uint64_t x = engine_();
            if (x >= reject) return static_cast<std::uint32_t>(x % n);
        }
    }

    // Uniform in [0, 1) on 53 bits.
    double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_;
};

// Row names in the initial (alphabetical) order, taken from the tables
// themselves so that the pick's name pointers compare equal to them.
template <std::size_t N>
std::array<const char*, N> SortedNames(const std::array<RankEntry, N>& table) {
    std::array<const char*, N> names{};
    for (std::size_t i = 0; i < N; ++i) names[i] = table[i].name;
    std::sort(names.begin(), names.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    return names;
}

const std::array<const char*, RaceRowCount>& RaceNames() {
    static const auto names = SortedNames(RaceTable);
    return names;
}

const std::array<const char*, ClassRowCount>& ClassNames() {
    static const auto names = SortedNames(ClassTable);
    return names;
}

template <std::size_t N>
int NameIndex(const std::array<const char*, N>& names, const char* name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (name != nullptr && std::strcmp(names[i], name) == 0) return static_cast<int>(i);
    }
    return static_cast<int>(N);  // "Unknown"
}

void ResetRunState() {
    PointTotals.fill(0);
    AnsweredList.clear();
    ResetRankTables();
}

struct Count {
    std::string name;
    std::uint64_t count;
};

// Counts above zero, most frequent first, then by name.
void WriteCounts(const char* title, std::vector<Count> counts, std::uint64_t runs, std::ostream& out) {
    std::erase_if(counts, [](const Count& c) { return c.count == 0; });
    std::sort(counts.begin(), counts.end(), [](const Count& a, const Count& b) {
        return a.count != b.count ? a.count > b.count : a.name < b.name;
    });
    std::size_t width = 0;
    for (const Count& c : counts) width = std::max(width, c.name.size());
    const int digits = static_cast<int>(std::to_string(runs).size());
    out << title << ":\n";
    for (const Count& c : counts) {
        char figures[64];
        std::snprintf(figures, sizeof figures, "%*llu  %6.2f%%", digits, static_cast<unsigned long long>(c.count),
                      100.0 * static_cast<double>(c.count) / static_cast<double>(runs));
        out << "  " << c.name << std::string(width - c.name.size(), ' ') << "  " << figures << '\n';
    }
}

template <std::size_t N>
void WriteNever(const char* title, const std::array<std::uint64_t, N>& counts, const char* (*name)(int),
                std::ostream& out) {
    std::string list;
    for (std::size_t i = 0; i + 1 < N; ++i) {  // "Unknown" is no race or class to miss
        if (counts[i] == 0) list += (list.empty() ? "" : ", ") + std::string(name(static_cast<int>(i)));
    }
    out << title << ": " << (list.empty() ? "none" : list) << '\n';
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

const char* BalanceRaceName(int index) {
    return index >= 0 && index < RaceRowCount ? RaceNames()[static_cast<std::size_t>(index)] : UnknownName;
}

const char* BalanceClassName(int index) {
    return index >= 0 && index < ClassRowCount ? ClassNames()[static_cast<std::size_t>(index)] : UnknownName;
}

BalanceTally SimulateBalance(const BalanceOptions& options) {
    BalanceTally tally;
    tally.preference = ScriptPreference();
    tally.preferenceFromScript = TheScriptDocument.settings != nullptr;
    tally.runs = options.runs;
    std::vector<QuestionBlock*> asked;
    std::vector<std::uint32_t> shown;
    for (const auto& question : TheScriptDocument.questions) {
        ++tally.questions;
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(question->choices.size(), ChoiceCount));
        if (count == 0) {
            ++tally.questionsWithoutChoices;
            continue;
        }
        asked.push_back(question.get());
        shown.push_back(count);
    }

    const auto& raceNames = RaceNames();
    const auto& classNames = ClassNames();
    SimulationDialog dialog;
    Draws draws(options.seed);
    const double skip = options.skipProbability;
    for (std::uint64_t run = 0; run < options.runs; ++run) {
        ResetRunState();
        for (std::size_t i = 0; i < asked.size(); ++i) {
            if (skip > 0.0 && draws.Unit() < skip) {
                ++tally.skipped;
                continue;
            }
            const int id = IdChoice1 + static_cast<int>(draws.Below(shown[i]));
            CurrentQuestion = asked[i];
            dialog.SetChecked(id, true);
            RecordAnswer(dialog);
            dialog.SetChecked(id, false);
        }
        tally.answered += AnsweredList.size();
        const BestPick pick = PickBestRaceAndClass(tally.preference);
        const int race = NameIndex(raceNames, pick.race);
        const int cls = NameIndex(classNames, pick.className);
        ++tally.races[static_cast<std::size_t>(race)];
        ++tally.classes[static_cast<std::size_t>(cls)];
        ++tally.pairs[static_cast<std::size_t>(race)][static_cast<std::size_t>(cls)];
    }
    tally.unmatched = dialog.unmatched;
    ResetRunState();
    ResetQuestionFlow();
    return tally;
}

void WriteBalanceReport(const std::string& name, const BalanceOptions& options, const BalanceTally& tally,
                        std::ostream& out) {
    char skip[32];
    std::snprintf(skip, sizeof skip, "%g", options.skipProbability);
    out << "Balance of " << name << ": " << tally.runs << " random runs, seed " << options.seed
        << ", skip probability " << skip << '\n';
    out << "Preference: "
        << (tally.preference == ClassOverRace
                ? "class over race (the best class first, then the best race that allows it)"
                : "race over class (the best race first, then the best class open to it)");
    if (!tally.preferenceFromScript) out << "; the script has no SETTINGS block";
    out << '\n';
    out << "Questions: " << tally.questions;
    if (tally.questionsWithoutChoices > 0) {
        out << " (" << tally.questionsWithoutChoices << " without choices, always skipped)";
    }
    out << '\n';
    if (tally.runs == 0) {
        return;
    }

    std::vector<Count> races, classes, pairs;
    for (int r = 0; r <= RaceRowCount; ++r) {
        races.push_back({BalanceRaceName(r), tally.races[static_cast<std::size_t>(r)]});
        for (int c = 0; c <= ClassRowCount; ++c) {
            pairs.push_back({std::string(BalanceRaceName(r)) + " / " + BalanceClassName(c),
                             tally.pairs[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]});
        }
    }
    for (int c = 0; c <= ClassRowCount; ++c) {
        classes.push_back({BalanceClassName(c), tally.classes[static_cast<std::size_t>(c)]});
    }
    out << '\n';
    WriteCounts("Races recommended", std::move(races), tally.runs, out);
    out << '\n';
    WriteCounts("Classes recommended", std::move(classes), tally.runs, out);
    out << '\n';
    WriteCounts("Pairs recommended", std::move(pairs), tally.runs, out);
    out << '\n';
    WriteNever("Races never recommended", tally.races, BalanceRaceName, out);
    WriteNever("Classes never recommended", tally.classes, BalanceClassName, out);
    out << "Choices without an answer (\"" << UnableToFind << "\"): " << tally.unmatched << " of "
        << tally.answered + tally.unmatched << " choices\n";
}

bool ParseBalanceArguments(const std::vector<std::string>& args, std::string& file, BalanceOptions& options,
                           std::string& problem) {
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string_view option = arg;
        std::string_view value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (option == "--runs" || option == "--seed" || option == "--skip") {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    problem = std::string(option) + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            bool good = false;
            if (option == "--runs") {
                good = ParseNumber(value, options.runs) && options.runs > 0;
            } else if (option == "--seed") {
                good = ParseNumber(value, options.seed);
            } else {
                double p = 0;
                good = ParseNumber(value, p) && p >= 0.0 && p <= 1.0;
                if (good) options.skipProbability = p;
            }
            if (!good) {
                problem = std::string(option) + " does not take \"" + std::string(value) + "\"" +
                          (option == "--runs"   ? " (a whole number of at least 1)"
                           : option == "--seed" ? " (a whole number from 0)"
                                                : " (a probability from 0 to 1)");
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option " + std::string(arg);
            return false;
        } else if (haveFile) {
            problem = "more than one script file given";
            return false;
        } else {
            file = arg;
            haveFile = true;
        }
    }
    return true;
}

int RunBalance(const std::string& path, const BalanceOptions& options, std::ostream& out, std::ostream& err) {
    std::FILE* file = OpenScriptFile(path);
    if (file == nullptr) {
        err << path << ": error: cannot open (" << std::strerror(errno) << ")\n";
        return 1;
    }
    const CheckResult check = CheckScript(file);
    std::fclose(file);
    if (check.errors > 0) {
        PrintCheckResult(path, check, err, true);
        return 1;
    }

    TheScriptDocument.Clear();
    TheScriptDocument.file = OpenScriptFile(path);
    Dialog* const view = ScriptErrorView;
    ScriptErrorView = nullptr;  // the check above already said what could go wrong
    const bool loaded = TheScriptDocument.file != nullptr && TheScriptDocument.Parse(nullptr) != -1;
    ScriptErrorView = view;
    if (!loaded) {
        err << path << ": error: the script does not load\n";
        TheScriptDocument.Clear();
        return 1;
    }
    const BalanceTally tally = SimulateBalance(options);
    WriteBalanceReport(path, options, tally, out);
    TheScriptDocument.Clear();
    return 0;
}

}  // namespace kinpath
