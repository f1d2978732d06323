#!/bin/sh
# The window's performance against a bare Qt dialog with the same 69 widgets:
#   1. process start to the first question painted (median of RUNS, taking turns),
#   2. wakeups and CPU while idle with the bars at rest, and wakeups while they move,
#   3. peak memory.
# Usage: bench/window/run.sh [BUILD_DIR [RUNS]]   (BUILD_DIR: default build-bench,
# configured with -DKINPATH_BUILD_BENCH=ON; RUNS: default 60; IDLE_SECONDS: default 10)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-bench}" && pwd)
runs=${2:-60}
idle=${IDLE_SECONDS:-10}
bin=$build/bench/window
kinpath=$build/kinpath
for f in "$kinpath" "$bin/kinpath_startup_probe" "$bin/kinpath_bare_dialog" "$bin/kinpath_spawn_timer"; do
    [ -x "$f" ] || { echo "run.sh: $f is missing; build $build first" >&2; exit 1; }
done

# Without a display Qt needs a platform named, and wants a private runtime folder.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/kinpath-runtime-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

work=$(mktemp -d)
watchers=""
cleanup() {
    # The watchers run in the background: stop them and what they watch.
    for p in $watchers; do kill "$p" 2>/dev/null || true; done
    for f in "$work"/*.pid; do [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
cp "$root/examples/script.txt" "$work/script.txt"
cd "$work"

# Wakeups (voluntary context switches, every thread), nanoseconds on a CPU
# (every thread) and CPU clock ticks of a process.
snapshot() {
    w=0 ns=0
    for t in /proc/"$1"/task/*; do
        v=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status")
        read -r r _ < "$t/schedstat"
        w=$((w + v)) ns=$((ns + r))
    done
    ticks=$(sed 's/.*) //' /proc/"$1"/stat | awk '{ print $12 + $13 }')
    echo "$w $ns $ticks"
}

# Runs a program, lets it settle, then watches it idle; leaves
# "wakeups cpu_ns ticks seconds vmhwm_kib threads" in the named file.
watch_idle() {
    out=$1
    shift
    "$@" >/dev/null 2>&1 &
    pid=$!
    echo "$pid" > "$out.pid"
    sleep 3
    set -- $(snapshot "$pid")
    w0=$1 ns0=$2 t0=$3
    start=$(date +%s%N)
    sleep "$idle"
    set -- $(snapshot "$pid")
    end=$(date +%s%N)
    hwm=$(awk '/^VmHWM/ { print $2 }' /proc/"$pid"/status)
    threads=$(awk '/^Threads/ { print $2 }' /proc/"$pid"/status)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    rm -f "$out.pid"
    echo "$(($1 - w0)) $(($2 - ns0)) $(($3 - t0)) $(((end - start) / 1000000)) $hwm $threads" > "$out"
}

echo "Kinpath window benchmarks (platform: ${QT_QPA_PLATFORM:-display}, $(nproc) cores," \
     "load $(cut -d' ' -f1-3 /proc/loadavg))"

# 1. Start-up, first: nothing else of ours runs meanwhile.
"$bin/kinpath_spawn_timer" "$runs" bare="$bin/kinpath_bare_dialog" \
    kinpath="$bin/kinpath_startup_probe" > startup.txt

# 2 and 3. The real window and the bare dialog idle side by side (idle processes
# do not disturb each other), and the probe answering questions meanwhile.
watch_idle idle-kinpath.txt "$kinpath" &
watchers="$watchers $!"
watch_idle idle-bare.txt "$bin/kinpath_bare_dialog" --stay &
watchers="$watchers $!"
"$bin/kinpath_startup_probe" --motion 12 "$idle" > motion.txt 2>/dev/null
wait

awk -v runs="$runs" -v idle="$idle" '
    FILENAME == "startup.txt" {
        for (i = 2; i < NF; i += 2) s[$1, $i] = $(i + 1)
        next
    }
    FILENAME == "motion.txt" { m[$1] = $2; next }
    FILENAME == "idle-kinpath.txt" { split($0, ik, " "); next }
    FILENAME == "idle-bare.txt" { split($0, ib, " "); next }
    function verdict(ok) { return ok ? "ok" : "MISSED" }
    END {
        fmt = "%-50s %12s %12s %7s  %-16s %s\n"
        printf fmt, "measure", "kinpath", "bare dialog", "ratio", "target", ""
        r = s["kinpath", "paint-median-ms"] / s["bare", "paint-median-ms"]
        printf fmt, "start to first question painted (median)",
            sprintf("%.1f ms", s["kinpath", "paint-median-ms"]),
            sprintf("%.1f ms", s["bare", "paint-median-ms"]), sprintf("%.2f", r), "<= 1.30", verdict(r <= 1.3)
        printf fmt, "  fastest run",
            sprintf("%.1f ms", s["kinpath", "paint-min-ms"]), sprintf("%.1f ms", s["bare", "paint-min-ms"]),
            sprintf("%.2f", s["kinpath", "paint-min-ms"] / s["bare", "paint-min-ms"]), "", ""
        printf fmt, "  whole process, start to exit (median)",
            sprintf("%.1f ms", s["kinpath", "exit-median-ms"]), sprintf("%.1f ms", s["bare", "exit-median-ms"]),
            sprintf("%.2f", s["kinpath", "exit-median-ms"] / s["bare", "exit-median-ms"]), "", ""
        r = s["kinpath", "maxrss-median-kib"] / s["bare", "maxrss-median-kib"]
        printf fmt, "peak memory at first paint (max RSS)",
            sprintf("%.1f MiB", s["kinpath", "maxrss-median-kib"] / 1024),
            sprintf("%.1f MiB", s["bare", "maxrss-median-kib"] / 1024), sprintf("%.2f", r), "<= 1.20", verdict(r <= 1.2)
        r = ik[5] / ib[5]
        printf fmt, sprintf("peak memory after %d s idle (VmHWM)", idle + 3),
            sprintf("%.1f MiB", ik[5] / 1024), sprintf("%.1f MiB", ib[5] / 1024), sprintf("%.2f", r), "<= 1.20", verdict(r <= 1.2)
        secs = ik[4] / 1000
        kw = ik[1] / secs; bw = ib[1] / (ib[4] / 1000)
        printf fmt, sprintf("idle, bars at rest: wakeups/s (%d threads)", ik[6]),
            sprintf("%.2f", kw), sprintf("%.2f", bw), "", "0", verdict(ik[1] == 0)
        kc = ik[2] / 1e7 / secs; bc = ib[2] / 1e7 / (ib[4] / 1000)
        printf fmt, sprintf("idle, bars at rest: CPU %% of one core"),
            sprintf("%.4f %%", kc), sprintf("%.4f %%", bc), "", "<= 0.1 %", verdict(kc <= 0.1)
        printf fmt, sprintf("  CPU clock ticks over %.1f s", secs), ik[3], ib[3], "", "", ""
        wpt = m["motion-ticks"] > 0 ? m["motion-wakeups"] / m["motion-ticks"] : 0
        printf fmt, sprintf("bars moving (%d answers, %d ticks): wakeups/tick", m["answers"], m["motion-ticks"]),
            sprintf("%.2f", wpt), "", "", "about 1", verdict(wpt > 0.8 && wpt < 1.2)
        printf fmt, "  tick interval while moving",
            sprintf("%.1f ms", m["motion-wall-ms"] / m["motion-ticks"]), "", "", "about 15 ms", ""
        printf fmt, "  CPU while moving, % of one core",
            sprintf("%.1f %%", 100 * m["motion-cpu-ms"] / m["motion-wall-ms"]), "", "", "", ""
        printf fmt, sprintf("idle after answering: wakeups over %.0f s", m["idle-seconds"]),
            sprintf("%d", m["idle-wakeups"]), "", "", "1 (its own end)", verdict(m["idle-wakeups"] <= 1 && m["idle-ticks"] == 0)
        printf "(%d start-up runs each, taking turns; medians)\n", runs
    }' startup.txt motion.txt idle-kinpath.txt idle-bare.txt
