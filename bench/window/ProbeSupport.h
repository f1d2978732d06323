// What both start-up probes share: the spawn time handed over by the process
// timer, and the moment of the first paint after the first question was set.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kinpath::bench {

inline long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// "--spawned-at NS": the CLOCK_MONOTONIC time at which the timer spawned us.
inline long long SpawnedAt(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--spawned-at") == 0) return std::atoll(argv[i + 1]);
    }
    return 0;
}

inline bool HasArg(int argc, char** argv, const char* arg) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], arg) == 0) return true;
    }
    return false;
}

// Watches the widget that shows the question. Once Arm() has been called (the
// question is in place), its next paint ends the run: the quit is posted so that
// it runs after the whole window has been painted and flushed.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget* question, long long spawnedAt)
        : question_(question), spawnedAt_(spawnedAt) {
        question_->installEventFilter(this);
    }
    void Arm() { armed_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == question_ && event->type() == QEvent::Paint && armed_ && !done_) {
            done_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (spawnedAt_ > 0) {
                        std::printf("first-paint-ns %lld\n", MonotonicNs() - spawnedAt_);
                        std::fflush(stdout);
                    }
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* question_;
    long long spawnedAt_;
    bool armed_ = false;
    bool done_ = false;
};

}  // namespace kinpath::bench
