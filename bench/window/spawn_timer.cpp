// Times whole processes: spawn, first paint (reported by the program on its
// standard output as "first-paint-ns N"), exit; and their peak resident memory.
// The programs take turns, in alternating order, so that a busy machine slows
// them alike.
//   kinpath_spawn_timer RUNS NAME=PROGRAM [NAME=PROGRAM ...]
// Every program is run as "PROGRAM --spawned-at NS" in the current folder.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

struct Program {
    std::string name;
    std::string path;
    std::vector<double> paintMs, exitMs, rssKiB;
};

struct Sample {
    double paintMs = -1;
    double exitMs = 0;
    double rssKiB = 0;
};

bool RunOnce(const Program& p, Sample& out) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const long long start = MonotonicNs();
    std::string startText = std::to_string(start);
    std::vector<char*> argv = {const_cast<char*>(p.path.c_str()), const_cast<char*>("--spawned-at"),
                               startText.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, p.path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (error != 0) {
        close(pipeFds[0]);
        std::fprintf(stderr, "%s: cannot start: %s\n", p.path.c_str(), std::strerror(error));
        return false;
    }
    std::string output;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    out.exitMs = (MonotonicNs() - start) / 1e6;
    out.rssKiB = static_cast<double>(usage.ru_maxrss);
    const auto at = output.find("first-paint-ns ");
    if (at != std::string::npos) out.paintMs = std::atoll(output.c_str() + at + 15) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.paintMs < 0) {
        std::fprintf(stderr, "%s: failed (status %d) or painted nothing\n", p.path.c_str(), status);
        return false;
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS NAME=PROGRAM [NAME=PROGRAM ...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (!eq) return 2;
        programs.push_back(
            {std::string(argv[i], static_cast<std::size_t>(eq - argv[i])), eq + 1, {}, {}, {}});
    }
    // One round to warm the caches, not counted.
    for (int round = -1; round < runs; ++round) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program& p = programs[round % 2 == 0 ? k : programs.size() - 1 - k];
            Sample s;
            if (!RunOnce(p, s)) return 1;
            if (round < 0) continue;
            p.paintMs.push_back(s.paintMs);
            p.exitMs.push_back(s.exitMs);
            p.rssKiB.push_back(s.rssKiB);
        }
    }
    for (const Program& p : programs) {
        std::printf(
            "%s runs %d paint-median-ms %.2f paint-min-ms %.2f paint-p90-ms %.2f "
            "exit-median-ms %.2f exit-min-ms %.2f maxrss-median-kib %.0f\n",
            p.name.c_str(), runs, Median(p.paintMs), Quantile(p.paintMs, 0),
            Quantile(p.paintMs, 0.9), Median(p.exitMs), Quantile(p.exitMs, 0), Median(p.rssKiB));
    }
    return 0;
}
