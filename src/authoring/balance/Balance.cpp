#include "authoring/balance/Balance.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <thread>
#include <utility>

#include "flow/Run.h"
#include "flow/Session.h"
#include "scoring/BestPick.h"
#include "script/ScriptDocument.h"

namespace kinpath {

namespace {

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

TotalCounts BalanceTally::AllBars(const Game& game) const {
    TotalCounts all;
    for (int row = 0; row < RowCount; ++row) {
        if (!HasRow(game, row)) continue;
        const TotalCounts& bar = bars[ScoreSlots(game, row)[0]];
        for (std::size_t i = 0; i < all.counts.size(); ++i) all.counts[i] += bar.counts[i];
    }
    return all;
}

namespace {

// What a thread counts of its own: small, added up once all runs are done.
struct RunCounts {
    std::array<std::uint64_t, RaceRowCount + 1> races{};
    std::array<std::uint64_t, ClassRowCount + 1> classes{};
    std::array<std::array<std::uint64_t, ClassRowCount + 1>, RaceRowCount + 1> pairs{};
    std::array<std::uint64_t, RaceRowCount + ClassRowCount> passedOver{};
    std::uint64_t answered = 0, skipped = 0, unmatched = 0;
};

// A thread's runs since it last handed them over: what the bars show and what
// was recommended, and the answers each run chose.
struct RunLog {
    struct Run {
        PointValues totals;
        std::uint8_t race, cls;
        std::size_t answersEnd;
    };
    std::vector<Run> runs;
    std::vector<std::uint32_t> answers;  // places in the document's answers
    bool Full() const { return runs.size() >= 256 || answers.size() >= 16384; }
};

// The bars of each table of the game, by point slot: the leading bar of a
// table is the highest of its rows' own. When they are a run of slots (as
// the built-in game's are), it is found in that run.
struct TableBars {
    std::array<std::uint8_t, ClassRowCount> slots{};
    int count = 0;
    int first = -1;  // the run's first slot, or -1

    TableBars(const Game& game, int table) {
        for (const GameRow& row : game.tables[std::size_t(table)])
            slots[std::size_t(count++)] = row.slots[0];
        const auto [low, high] = std::minmax_element(slots.begin(), slots.begin() + count);
        if (count > 0 && *high - *low + 1 == count) first = *low;
    }
    std::int32_t Highest(const PointValues& totals) const {
        if (first >= 0)
            return *std::max_element(totals.begin() + first, totals.begin() + first + count);
        std::int32_t highest = totals[slots[0]];
        for (int i = 1; i < count; ++i) highest = std::max(highest, totals[slots[std::size_t(i)]]);
        return highest;
    }
};

// The counts that would be large for every thread (each bar's totals, each
// answer's outcomes) are kept once: threads hand their runs over in batches,
// under a lock, so memory does not grow with the threads.
class SharedCounts {
public:
    SharedCounts(const Game& game, std::size_t answers)
        : races_(game, 0),
          classes_(game, 1),
          answerCount_(answers),
          answers_(answers * OutcomeCount) {}

    void Add(RunLog& log) {
        const std::lock_guard lock(mutex_);
        std::size_t answer = 0;
        for (const RunLog::Run& run : log.runs) {
            const PointValues& totals = run.totals;
            for (std::size_t slot = 0; slot < bars_.size(); ++slot) bars_[slot].Add(totals[slot]);
            leadingRace_.Add(races_.Highest(totals));
            if (classes_.count > 0) leadingClass_.Add(classes_.Highest(totals));
            // A run's answers stand in script order: each count row is walked
            // forward. Pointers, not elements: a script without answers has no rows.
            std::uint64_t* race = answers_.data() + run.race * answerCount_;
            std::uint64_t* cls = answers_.data() + (RaceRowCount + 1 + run.cls) * answerCount_;
            for (; answer < run.answersEnd; ++answer) {
                ++race[log.answers[answer]];
                ++cls[log.answers[answer]];
            }
        }
        log.runs.clear();
        log.answers.clear();
    }

    void MoveInto(BalanceTally& tally) {
        tally.bars = bars_;
        tally.leadingRace = leadingRace_;
        tally.leadingClass = leadingClass_;
        tally.answers = std::move(answers_);
    }

private:
    std::mutex mutex_;
    const TableBars races_, classes_;
    std::size_t answerCount_;
    std::array<TotalCounts, BarSlotCount> bars_;
    TotalCounts leadingRace_, leadingClass_;
    std::vector<std::uint64_t> answers_;
};

// What every thread of one simulation reads and shares.
struct Simulation {
    std::shared_ptr<const ScriptDocument> document;
    const Game& game;
    const BalanceOptions& options;
    Preference preference;
    std::uint64_t blocks;
    TableBars races, classes;
    SharedCounts shared;
    std::atomic<std::uint64_t> nextBlock{0};  // blocks go to whichever thread asks next
    std::atomic<std::uint64_t> done{0};       // runs done
};

// Rows whose bar ended highest of their kind that the pick went past for want
// of a partner: the rows the pick walked over before the one it took, or the
// row decided first when none goes with it ("Unknown").
// A game of one table passes nothing over: its pick is its best row.
void CountPassedOver(const Simulation& simulation, const Session& session, const BestPick& pick,
                     RunCounts& counts) {
    const Game& game = simulation.game;
    if (OneTable(game)) return;
    const bool unknown = pick == BestPick{};
    const bool racesWalked = (simulation.preference == Preference::ClassOverRace) != unknown;
    const RankEntry* rows = racesWalked ? session.RaceTable().data() : session.ClassTable().data();
    const int count = racesWalked ? session.RaceTable().count : session.ClassTable().count;
    const int taken = racesWalked ? pick.race : RaceRowCount + pick.cls;
    const PointValues& totals = session.PointTotals();
    const std::int32_t highest =
        (racesWalked ? simulation.races : simulation.classes).Highest(totals);
    for (int i = 0; i < (unknown ? 1 : count) && rows[i].row != taken; ++i) {
        const int row = rows[i].row;
        if (totals[ScoreSlots(game, row)[0]] == highest) ++counts.passedOver[std::size_t(row)];
    }
}

// The box a run waits on, answered as a player would: the "no answer" box
// of a choice without an answer is dismissed and counted, the recap question
// at the end is answered No.
void AnswerBox(Run& run, RunCounts& counts) {
    const AfterBox then = run.State().boxes.front().then;
    if (then == AfterBox::NextQuestion) ++counts.unmatched;
    run.Apply(AnswerEvent(then == AfterBox::Recap ? BoxResult::No : BoxResult::Ok));
}

// One run of the questionnaire, from a new start to the pick, on the machine
// every window drives: how a simulated player answers is decided here and
// nowhere else, and every rule of a run is the machine's.
Run PlayRun(const Simulation& simulation, Draws& draws, RunCounts& counts) {
    const BalanceOptions& options = simulation.options;
    Run run(simulation.document, TranscriptKept::No);  // no window shows it
    for (;;) {
        if (run.BoxWaiting()) {
            AnswerBox(run, counts);
            continue;
        }
        const QuestionBlock* question = run.Scores().CurrentQuestion();
        if (question == nullptr) break;  // the results
        const auto shown =
            static_cast<std::uint32_t>(run.Scores().Document().OfferedChoices(*question).size());
        // Nothing to choose: passed by, without a draw and without counting.
        if (shown == 0) {
            run.Apply({EventKind::Skip});
            continue;
        }
        if (options.skipProbability > 0.0 && draws.Unit() < options.skipProbability) {
            ++counts.skipped;
            run.Apply({EventKind::Skip});
            continue;
        }
        run.Apply(ChooseEvent(1 + static_cast<int>(draws.Below(shown))));
        run.Apply({EventKind::Ok});
    }
    counts.answered += run.Scores().AnsweredList().size();
    return run;
}

// One run, played and counted.
void SimulateRun(Simulation& simulation, Draws& draws, RunCounts& counts, RunLog& log) {
    const Run run = PlayRun(simulation, draws, counts);
    const Session& session = run.Scores();
    const BestPick& pick = *run.State().pick;
    const auto race = static_cast<std::size_t>(pick.race);
    const auto cls = static_cast<std::size_t>(pick.cls);
    ++counts.races[race];
    ++counts.classes[cls];
    ++counts.pairs[race][cls];
    CountPassedOver(simulation, session, pick, counts);
    log.answers.insert(log.answers.end(), session.AnsweredList().begin(),
                       session.AnsweredList().end());
    log.runs.push_back({session.PointTotals(), static_cast<std::uint8_t>(race),
                        static_cast<std::uint8_t>(cls), log.answers.size()});
    if (log.Full()) simulation.shared.Add(log);
}

// Takes blocks of runs until none is left, on a session of its own, adding
// the runs into counts; afterBlock is called after each block.
template <typename AfterBlock>
void SimulateBlocks(Simulation& simulation, RunCounts& counts, AfterBlock afterBlock) {
    RunLog log;
    const std::uint64_t runs = simulation.options.runs;
    for (std::uint64_t block; (block = simulation.nextBlock.fetch_add(1)) < simulation.blocks;) {
        Draws draws(simulation.options.seed, block);
        const std::uint64_t first = block * RunsPerBlock;
        const std::uint64_t count = std::min(RunsPerBlock, runs - first);
        for (std::uint64_t run = 0; run < count; ++run) SimulateRun(simulation, draws, counts, log);
        simulation.done.fetch_add(count, std::memory_order_relaxed);
        afterBlock();
    }
    simulation.shared.Add(log);
}

void AddCounts(BalanceTally& into, const RunCounts& from) {
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
    for (std::size_t row = 0; row < into.passedOver.size(); ++row) {
        into.passedOver[row] += from.passedOver[row];
    }
}

void CountQuestions(const ScriptDocument& document, BalanceTally& tally) {
    for (const QuestionBlock& question : document.Questions()) {
        ++tally.questions;
        if (document.OfferedChoices(question).empty()) ++tally.questionsWithoutChoices;
    }
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
                RunCounts& part = parts_.emplace_back();
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
        for (const RunCounts& part : parts_) AddCounts(tally, part);
        return !outOfMemory_;
    }

private:
    void Work(RunCounts& part) {
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
    std::deque<RunCounts> parts_;  // one per thread; a deque, so that they never move
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
    CountQuestions(*document, tally);
    const Game& game = GameOf(*document);
    Simulation simulation{document,
                          game,
                          options,
                          tally.preference,
                          blocks,
                          TableBars(game, 0),
                          TableBars(game, 1),
                          SharedCounts(game, document->AllAnswers().size())};
    // The calling thread's: one job needs no other thread (a page's worker
    // has none to start), and neither does a machine that cannot start one.
    RunCounts own;
    Workers workers(simulation);
    const auto wanted =
        static_cast<unsigned>(std::clamp<std::uint64_t>(blocks, 1, std::max(1u, options.jobs)));
    if (wanted > 1 && workers.Start(wanted) > 0) {
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
    AddCounts(tally, own);
    if (!workers.AddInto(tally)) {
        throw std::bad_alloc();
    }
    simulation.shared.MoveInto(tally);
    return tally;
}

}  // namespace kinpath
