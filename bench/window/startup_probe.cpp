// The window's start-up as the program entry runs it, ending at the first paint
// after the first question is shown (the start-up benchmark), or answering
// questions to measure the wakeups while the bars move and after they rest.
//   kinpath_startup_probe [--spawned-at NS]
//   kinpath_startup_probe --motion ANSWERS IDLE_SECONDS
// Runs in a folder holding script.txt, like the window.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>

#include "ProbeSupport.h"
#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "frontends/qt/MainWindow.h"
#include "window/ControlIds.h"

namespace {

using kinpath::bench::MonotonicNs;

// The calling thread's voluntary context switches (each one a wakeup from
// sleep) and time on a CPU.
struct ThreadCounters {
    long long wakeups = 0;
    long long cpuNs = 0;
    long long wallNs = 0;
};

ThreadCounters ReadCounters() {
    ThreadCounters c;
    c.wallNs = MonotonicNs();
    std::ifstream status("/proc/thread-self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) c.wakeups = std::stoll(line.substr(24));
    }
    std::ifstream("/proc/thread-self/schedstat") >> c.cpuNs;
    return c;
}

// Answers questions with their first choice, one after another, each once the
// bars have come to rest; then sits idle.
class MotionRun : public QObject {
public:
    MotionRun(kinpath::qt::MainWindow& window, int answers, int idleSeconds)
        : window_(window), answersLeft_(answers), idleSeconds_(idleSeconds) {}

    // The first question is on screen.
    void Begin() {
        // The bar timer exists once the dialog was set up; a tick of ours runs
        // after the window's own.
        for (QTimer* t : window_.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
            connect(t, &QTimer::timeout, this, [this] { AfterTick(); });
        phase_ = Phase::Waiting;
        if (!window_.TimerTicking()) Answer();
    }

private:
    void Answer() {
        if (answersLeft_-- <= 0) {
            Report();
            return;
        }
        phase_ = Phase::Moving;
        start_ = ReadCounters();
        static_cast<QAbstractButton*>(window_.ControlWidget(kinpath::IdChoice1))->click();
        static_cast<QAbstractButton*>(window_.ControlWidget(kinpath::IdOk))->click();
        ++answered_;
        if (!window_.TimerTicking()) Rested();  // nothing to move
    }

    void AfterTick() {
        switch (phase_) {
            case Phase::Waiting:  // the start-up's own bar motion
                if (!window_.TimerTicking()) Answer();
                break;
            case Phase::Moving:
                ++ticks_;
                if (!window_.TimerTicking()) Rested();
                break;
            case Phase::Idle:
                ++ticksAtRest_;
                break;
        }
    }

    void Rested() {
        const ThreadCounters end = ReadCounters();
        phase_ = Phase::Waiting;
        wakeups_ += end.wakeups - start_.wakeups;
        cpuNs_ += end.cpuNs - start_.cpuNs;
        wallNs_ += end.wallNs - start_.wallNs;
        QMetaObject::invokeMethod(
            this, [this] { Answer(); }, Qt::QueuedConnection);
    }

    void Report() {
        phase_ = Phase::Idle;
        std::printf(
            "answers %d\nmotion-ticks %lld\nmotion-wakeups %lld\nmotion-wall-ms %.1f\n"
            "motion-cpu-ms %.1f\n",
            answered_, ticks_, wakeups_, wallNs_ / 1e6, cpuNs_ / 1e6);
        std::fflush(stdout);
        idleStart_ = ReadCounters();
        // This timer's own expiry is the one wakeup the idle span may show.
        QTimer::singleShot(idleSeconds_ * 1000, Qt::PreciseTimer, this, [this] {
            const ThreadCounters end = ReadCounters();
            std::printf("idle-seconds %.2f\nidle-wakeups %lld\nidle-ticks %lld\nidle-cpu-ms %.2f\n",
                        (end.wallNs - idleStart_.wallNs) / 1e9, end.wakeups - idleStart_.wakeups,
                        ticksAtRest_, (end.cpuNs - idleStart_.cpuNs) / 1e6);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }

    kinpath::qt::MainWindow& window_;
    int answersLeft_;
    int idleSeconds_;
    int answered_ = 0;
    enum class Phase { Waiting, Moving, Idle };
    Phase phase_ = Phase::Waiting;
    ThreadCounters start_;
    ThreadCounters idleStart_;
    long long ticks_ = 0;
    long long ticksAtRest_ = 0;
    long long wakeups_ = 0;
    long long cpuNs_ = 0;
    long long wallNs_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    const long long spawnedAt = kinpath::bench::SpawnedAt(argc, argv);
    int motionAnswers = 0;
    int idleSeconds = 10;
    for (int i = 1; i + 2 < argc; ++i) {
        if (std::string(argv[i]) == "--motion") {
            motionAnswers = std::atoi(argv[i + 1]);
            idleSeconds = std::atoi(argv[i + 2]);
        }
    }

    // From here on exactly what the program entry does.
    QApplication app(argc, argv);
    kinpath::qt::NameApplication();

    kinpath::qt::MainWindow window;
    kinpath::bench::FirstPaintWatch watch(window.ControlWidget(kinpath::IdQuestionText), spawnedAt);
    MotionRun motion(window, motionAnswers, idleSeconds);
    if (window.Start()) window.show();
    // The first question is set: its next paint is the one measured.
    if (motionAnswers == 0) {
        watch.Arm();
    } else {
        QMetaObject::invokeMethod(
            &window, [&] { motion.Begin(); }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}
