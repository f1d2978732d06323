#include "authoring/Balance.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

#include "authoring/ScriptCheck.h"
#include "flow/QuestionFlow.h"
#include "flow/Session.h"
#include "scoring/AnswerRecording.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"
#include "window/ControlIds.h"

namespace kinpath {

namespace {

constexpr const char* UnknownName = "Unknown";
constexpr std::chrono::milliseconds ProgressInterval{250};
// Draws that are the same on every platform for a seed: the engine's output
// is fixed by the language standard, the mappings to ranges are our own.
class Draws {
public:
    // Each block of runs draws from its own sequence, fixed by the seed and the
    // block's number, so that the runs come out the same however many threads
    // share them.
    Draws(std::uint64_t seed, std::uint64_t block) {
        std::seed_seq sequence{Low(seed), High(seed), Low(block), High(block)};
        engine_.seed(sequence);
    }

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
    static std::uint32_t Low(std::uint64_t x) { return static_cast<std::uint32_t>(x); }
    static std::uint32_t High(std::uint64_t x) { return static_cast<std::uint32_t>(x >> 32); }

    std::mt19937_64 engine_;
};

// A row's position in the initial table, which is in alphabetical order; the
// row count ("Unknown") when the name is none of them. The pick hands out the
// tables' own name pointers, so a pointer match is tried first.
template <std::size_t N>
int NameIndex(const std::array<RankEntry, N>& rows, const char* name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].name == name) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (name != nullptr && std::strcmp(rows[i].name, name) == 0) return static_cast<int>(i);
    }
    return static_cast<int>(N);
}

struct Count {
    std::string name;
    std::uint64_t count;
};

// Counts above zero, most frequent first, then by name.
void WriteCounts(const char* title, std::vector<Count> counts, std::uint64_t runs,
                 std::ostream& out) {
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
        std::snprintf(figures, sizeof figures, "%*llu  %6.2f%%", digits,
                      static_cast<unsigned long long>(c.count),
                      100.0 * static_cast<double>(c.count) / static_cast<double>(runs));
        out << "  " << c.name << std::string(width - c.name.size(), ' ') << "  " << figures << '\n';
    }
}

template <std::size_t N>
void WriteNever(const char* title, const std::array<std::uint64_t, N>& counts,
                const char* (*name)(int), std::ostream& out) {
    std::string list;
    for (std::size_t i = 0; i + 1 < N; ++i) {  // "Unknown" is no race or class to miss
        if (counts[i] == 0)
            list += (list.empty() ? "" : ", ") + std::string(name(static_cast<int>(i)));
    }
    out << title << ": " << (list.empty() ? "none" : list) << '\n';
}

// A total as the report prints it; the ends of the counted range stand for
// everything beyond.
std::string TotalText(std::int32_t total) {
    if (total < TotalCounts::Lowest) return "below " + std::to_string(TotalCounts::Lowest);
    if (total > TotalCounts::Highest) return "above " + std::to_string(TotalCounts::Highest);
    return std::to_string(total);
}

// A bar shows 0 to BarTop points. Leaders that end below EmptyLeader leave the
// bars looking empty; the suggested scale aims at AimedLeader, which fills most
// of a bar and leaves room to tell the leaders apart.
constexpr std::int32_t BarTop = 100;
constexpr std::int32_t EmptyLeader = 30;
constexpr double AimedLeader = 80;

// ", about 6.7 times": what brings the leaders' median to AimedLeader.
std::string ScaleText(double factor, const char* about = "about") {
    char text[48];
    std::snprintf(text, sizeof text, factor < 10 ? ", %s %.1f times" : ", %s %.0f times", about,
                  factor);
    return text;
}

void WriteBarTotals(const BalanceTally& tally, std::ostream& out) {
    out << "Bar totals at the end of a run (a bar shows 0 to " << BarTop << " points):\n"
        << "                     median  90th percentile\n";
    const std::pair<const char*, const TotalCounts*> rows[] = {
        {"Leading race", &tally.leadingRace},
        {"Leading class", &tally.leadingClass},
        {"All 27 bars", &tally.allBars}};
    for (const auto& [title, counts] : rows) {
        char line[96];
        std::snprintf(line, sizeof line, "  %-13s %11s  %15s\n", title,
                      TotalText(counts->Percentile(50)).c_str(),
                      TotalText(counts->Percentile(90)).c_str());
        out << line;
    }
    const std::int32_t race = tally.leadingRace.Percentile(50);
    const std::int32_t cls = tally.leadingClass.Percentile(50);
    const bool raceEmpty = race < EmptyLeader;
    const bool classEmpty = cls < EmptyLeader;
    if (raceEmpty || classEmpty) {
        const bool both = raceEmpty && classEmpty;
        const std::int32_t low = both ? std::max(race, cls) : std::min(race, cls);
        const std::string kind = both ? "race and class" : raceEmpty ? "race" : "class";
        out << "Warning: the " << kind << " bars will look nearly empty: the leading "
            << (raceEmpty ? "race" : "class") << " ends at a median of "
            << TotalText(raceEmpty ? race : cls) << " points"
            << (both ? " and the leading class at " + TotalText(cls) : "") << ", of the " << BarTop
            << " a bar shows. Scale the " << (both ? "" : kind + " ") << "point values up"
            << (low > 0 ? ScaleText(AimedLeader / low) : "")
            << ", so that the leaders end between 60 and " << BarTop << ".\n";
    }
    if (tally.allBars.Percentile(50) > BarTop) {
        const std::int32_t high = std::max(race, cls);
        out << "Warning: most bars will stand pinned at full: more than half of the bar totals end "
            << "above " << BarTop << ", the most a bar shows. Scale the point values down"
            << (high > TotalCounts::Highest
                    ? ScaleText(TotalCounts::Highest / AimedLeader, "more than")
                : high > AimedLeader ? ScaleText(high / AimedLeader)
                                     : "")
            << ", so that the leaders end between 60 and " << BarTop << ".\n";
    }
}

}  // namespace

void TotalCounts::Add(std::int32_t total) {
    const std::int32_t clamped = std::clamp(total, Lowest - 1, Highest + 1);
    ++counts[static_cast<std::size_t>(clamped - (Lowest - 1))];
}

std::int32_t TotalCounts::Percentile(int percent) const {
    std::uint64_t all = 0;
    for (const std::uint64_t count : counts) all += count;
    // The nearest rank, all * percent / 100 rounded up, without overflowing.
    const auto share = static_cast<std::uint64_t>(percent);
    const std::uint64_t rank =
        std::max<std::uint64_t>(1, all / 100 * share + (all % 100 * share + 99) / 100);
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        seen += counts[i];
        if (seen >= rank) return Lowest - 1 + static_cast<std::int32_t>(i);
    }
    return Lowest - 1;  // nothing counted
}

const char* BalanceRaceName(int index) {
    return index >= 0 && index < RaceRowCount
               ? InitialRaceTable[static_cast<std::size_t>(index)].name
               : UnknownName;
}

const char* BalanceClassName(int index) {
    return index >= 0 && index < ClassRowCount
               ? InitialClassTable[static_cast<std::size_t>(index)].name
               : UnknownName;
}

namespace {

// The questions a simulated player is asked: those with choices, with the
// number of choices the window shows.
struct AskedQuestion {
    const QuestionBlock* question;
    std::uint32_t shown;
};

// What every thread of one simulation reads and shares.
struct Simulation {
    std::shared_ptr<const ScriptDocument> document;
    std::vector<AskedQuestion> asked;
    const BalanceOptions& options;
    Preference preference;
    std::uint64_t blocks;
    std::atomic<std::uint64_t> nextBlock{0};  // blocks go to whichever thread asks next
    std::atomic<std::uint64_t> done{0};       // runs done
};

// The bars a player would see at the end of the run.
void CountBars(const PointValues& totals, BalanceTally& tally) {
    tally.leadingRace.Add(*std::max_element(totals.begin(), totals.begin() + RaceSlotCount));
    tally.leadingClass.Add(
        *std::max_element(totals.begin() + RaceSlotCount, totals.begin() + BarSlotCount));
    for (int slot = 0; slot < BarSlotCount; ++slot) tally.allBars.Add(totals[slot]);
}

// One run on the session, from a new start to the pick.
void SimulateRun(Simulation& simulation, Session& session, Draws& draws, BalanceTally& tally) {
    const BalanceOptions& options = simulation.options;
    session.StartRun();
    for (const AskedQuestion& q : simulation.asked) {
        if (options.skipProbability > 0.0 && draws.Unit() < options.skipProbability) {
            ++tally.skipped;
            continue;
        }
        const int choice = 1 + static_cast<int>(draws.Below(q.shown));
        const AnswerBlock* answer = FindAnswer(session.Document(), *q.question, choice);
        if (answer == nullptr) {
            ++tally.unmatched;
            continue;
        }
        session.RecordPoints(*answer);
    }
    tally.answered += session.AnsweredList().size();
    const BestPick pick = session.PickBest(simulation.preference);
    const auto race = static_cast<std::size_t>(NameIndex(InitialRaceTable, pick.race));
    const auto cls = static_cast<std::size_t>(NameIndex(InitialClassTable, pick.className));
    ++tally.races[race];
    ++tally.classes[cls];
    ++tally.pairs[race][cls];
    CountBars(session.PointTotals(), tally);
}

// Takes blocks of runs until none is left, on a session of its own, adding
// the runs into tally; afterBlock is called after each block.
template <typename AfterBlock>
void SimulateBlocks(Simulation& simulation, BalanceTally& tally, AfterBlock afterBlock) {
    Session session(simulation.document);
    const std::uint64_t runs = simulation.options.runs;
    for (std::uint64_t block; (block = simulation.nextBlock.fetch_add(1)) < simulation.blocks;) {
        Draws draws(simulation.options.seed, block);
        const std::uint64_t first = block * RunsPerBlock;
        const std::uint64_t count = std::min(RunsPerBlock, runs - first);
        for (std::uint64_t run = 0; run < count; ++run)
            SimulateRun(simulation, session, draws, tally);
        simulation.done.fetch_add(count, std::memory_order_relaxed);
        afterBlock();
    }
}

void AddCounts(TotalCounts& into, const TotalCounts& from) {
    for (std::size_t i = 0; i < into.counts.size(); ++i) into.counts[i] += from.counts[i];
}

void AddTally(BalanceTally& into, const BalanceTally& from) {
    AddCounts(into.leadingRace, from.leadingRace);
    AddCounts(into.leadingClass, from.leadingClass);
    AddCounts(into.allBars, from.allBars);
    into.answered += from.answered;
    into.skipped += from.skipped;
    into.unmatched += from.unmatched;
    for (std::size_t r = 0; r < into.races.size(); ++r) {
        into.races[r] += from.races[r];
        for (std::size_t c = 0; c < into.classes.size(); ++c) {
            into.pairs[r][c] += from.pairs[r][c];
        }
    }
    for (std::size_t c = 0; c < into.classes.size(); ++c) {
        into.classes[c] += from.classes[c];
    }
}

std::vector<AskedQuestion> AskedQuestions(const ScriptDocument& document, BalanceTally& tally) {
    std::vector<AskedQuestion> asked;
    for (const QuestionBlock& question : document.Questions()) {
        ++tally.questions;
        const auto count =
            static_cast<std::uint32_t>(std::min<std::size_t>(question.choices.count, ChoiceCount));
        if (count == 0) {
            ++tally.questionsWithoutChoices;
            continue;
        }
        asked.push_back({&question, count});
    }
    return asked;
}

// The threads of one simulation and what they share with the calling thread.
class Workers {
public:
    explicit Workers(Simulation& simulation) : simulation_(simulation) {}
    ~Workers() {
        for (std::thread& thread : threads_) thread.join();
    }

    // Starts up to `wanted` threads, each adding its runs into a tally of its
    // own; returns how many started. Threads that cannot be started are done
    // without: the blocks go to those that run.
    std::size_t Start(unsigned wanted) {
        threads_.reserve(wanted);
        for (unsigned j = 0; j < wanted; ++j) {
            try {
                BalanceTally& part = parts_.emplace_back();
                const std::lock_guard lock(mutex_);
                threads_.emplace_back([this, &part] { Work(part); });
                ++running_;
            } catch (const std::exception&) {  // no thread or no memory for one
                if (parts_.size() > threads_.size()) parts_.pop_back();
                break;
            }
        }
        return threads_.size();
    }

    // Waits for every thread, telling the progress about four times a second.
    void Wait(const BalanceProgress& progress) {
        for (;;) {
            std::unique_lock lock(mutex_);
            if (finished_.wait_for(lock, ProgressInterval, [&] { return running_ == 0; })) break;
            lock.unlock();
            if (progress) progress(simulation_.done.load(std::memory_order_relaxed));
        }
    }

    // The threads' tallies added into tally; false when a thread ran out of
    // memory, so that some runs were not made.
    bool AddInto(BalanceTally& tally) const {
        for (const BalanceTally& part : parts_) AddTally(tally, part);
        return !outOfMemory_;
    }

private:
    void Work(BalanceTally& part) {
        try {
            SimulateBlocks(simulation_, part, [] {});
        } catch (const std::bad_alloc&) {
            outOfMemory_ = true;
        }
        const std::lock_guard lock(mutex_);
        --running_;
        finished_.notify_one();
    }

    Simulation& simulation_;
    std::deque<BalanceTally> parts_;  // one per thread; a deque, so that they never move
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable finished_;
    unsigned running_ = 0;
    std::atomic<bool> outOfMemory_{false};
};

}  // namespace

BalanceTally SimulateBalance(std::shared_ptr<const ScriptDocument> document,
                             const BalanceOptions& options, const BalanceProgress& progress) {
    BalanceTally tally;
    const SettingsBlock* settings = document->Settings();
    tally.preference = settings ? settings->preference : Preference::ClassOverRace;
    tally.preferenceFromScript = settings != nullptr;
    tally.runs = options.runs;
    // Each block of runs draws from a sequence of its own, so however the
    // blocks are shared among threads a seed gives one result.
    const std::uint64_t blocks = options.runs / RunsPerBlock + (options.runs % RunsPerBlock != 0);
    Simulation simulation{document, AskedQuestions(*document, tally), options, tally.preference,
                          blocks};
    BalanceTally own;  // the calling thread's, when not one thread can be started
    Workers workers(simulation);
    const auto wanted =
        static_cast<unsigned>(std::clamp<std::uint64_t>(blocks, 1, std::max(1u, options.jobs)));
    if (workers.Start(wanted) > 0) {
        // This thread only watches, so progress comes however the runs are shared.
        workers.Wait(progress);
    } else {
        auto last = std::chrono::steady_clock::now();
        SimulateBlocks(simulation, own, [&] {
            if (!progress || std::chrono::steady_clock::now() - last < ProgressInterval) return;
            last = std::chrono::steady_clock::now();
            progress(simulation.done.load(std::memory_order_relaxed));
        });
    }
    if (progress) progress(options.runs);
    AddTally(tally, own);
    if (!workers.AddInto(tally)) {
        throw std::bad_alloc();
    }
    return tally;
}

void WriteBalanceReport(const std::string& name, const BalanceOptions& options,
                        const BalanceTally& tally, std::ostream& out) {
    char skip[32];
    std::snprintf(skip, sizeof skip, "%g", options.skipProbability);
    out << "Balance of " << name << ": " << tally.runs << " random runs, seed " << options.seed
        << ", skip probability " << skip << '\n';
    out << "Preference: "
        << (tally.preference == Preference::ClassOverRace
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
            pairs.push_back(
                {std::string(BalanceRaceName(r)) + " / " + BalanceClassName(c),
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
    out << "Choices without an answer (\"" << NoAnswerMessage << "\"): " << tally.unmatched
        << " of " << tally.answered + tally.unmatched << " choices\n";
    out << '\n';
    WriteBarTotals(tally, out);
}

int RunBalance(const std::string& path, const BalanceOptions& options, std::ostream& out,
               std::ostream& err, const BalanceProgress& progress) {
    std::string script;
    if (!ReadCheckedScript(path, script, err)) {
        return 1;
    }
    // One document for every thread: it is never written once loaded.
    auto document = std::make_shared<ScriptDocument>();
    const LoadOutcome outcome = LoadScriptText(*document, std::move(script));
    if (!outcome.loaded) {
        err << path << ": error: cannot load the script ("
            << (outcome.outOfMemory ? "out of memory" : "the window refuses it") << ")\n";
        return 1;
    }
    try {
        const BalanceTally tally = SimulateBalance(std::move(document), options, progress);
        WriteBalanceReport(path, options, tally, out);
    } catch (const std::bad_alloc&) {
        err << path << ": error: out of memory for the runs\n";
        return 1;
    }
    return 0;
}

}  // namespace kinpath
