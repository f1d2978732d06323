#!/bin/sh
# Times whole processes on generated scripts of 0.1, 1 and 10 MB (1x, 10x,
# 100x): `wc -l` on the file, then kinpath-cli loading it (stdin closed: it
# loads, greets, shows the first question and ends) and checking it (--check).
# Each figure is the best of RUNS batches; peak memory comes from GNU time.
#   bench/scale/run_scale.sh [path/to/kinpath-cli] [RUNS]
# Prints a Markdown table and checks the targets for the 10 MB script: load
# time within 5 times `wc -l`, --check within 2 times the load; the same for
# --check on 10 MB of misspelt keys and on one 100 MB line; then the peak
# memory of loading and of checking 10 MB of empty question blocks (the most
# blocks a file of that size can hold), target within 4 times the file size;
# and the peak memory of publishing the 10 MB script, within 2 times the page.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(cd "$(dirname "${1:-$here/../../build-bench/kinpath-cli}")" && pwd)/$(basename "${1:-kinpath-cli}")
runs=${2:-5}
[ -x "$cli" ] || { echo "no kinpath-cli at $cli (run make bench first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "GNU time is missing: apt-get install time" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kinpath-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
cd "$work"

# batch K COMMAND...: runs the command K times in one shell under GNU time and
# prints "cpu_seconds wall_seconds peak_kb" per run. CPU time (user + system,
# summed over the waited-for runs) is what the program costs; wall time also
# counts waiting for a busy machine. Batching gets below time's 10 ms grain.
batch() {
    k=$1; shift
    /usr/bin/time -o t -f "%U %S %e %M" sh -c '
        k=$1; shift; i=0
        while [ "$i" -lt "$k" ]; do "$@" < /dev/null > /dev/null 2>&1 || true; i=$((i + 1)); done
    ' batch "$k" "$@"
    awk -v k="$k" '{ printf "%.5f %.5f %d\n", ($1 + $2) / k, $3 / k, $4 }' t
}
# best N K COMMAND...: the least CPU time of N batches.
best() {
    n=$1; shift
    i=0
    : > times
    while [ "$i" -lt "$n" ]; do batch "$@" >> times; i=$((i + 1)); done
    sort -n times | head -n 1
}

echo "| Script | Questions | wc -l CPU s | load CPU s (wall s) | load MB/s | load / wc -l | load peak MB (x file) | --check CPU s | --check peak MB |"
echo "|---|---|---|---|---|---|---|---|---|"
status=0
for kb in 102 1024 10240; do
    sh "$here/gen_script.sh" "$kb" > script.txt
    bytes=$(wc -c < script.txt)
    questions=$(grep -c '^<QUESTION>$' script.txt)
    set -- $(best "$runs" 50 wc -l script.txt); wc_cpu=$1
    set -- $(best "$runs" 10 "$cli"); load_cpu=$1; load_wall=$2; load_kb=$3
    set -- $(best "$runs" 5 "$cli" --check script.txt); check_cpu=$1; check_kb=$3
    awk -v kb="$kb" -v b="$bytes" -v q="$questions" -v w="$wc_cpu" -v l="$load_cpu" \
        -v lw="$load_wall" -v lk="$load_kb" -v c="$check_cpu" -v ck="$check_kb" 'BEGIN {
        ratio = (w > 0) ? sprintf("%.1fx", l / w) : "n/a"
        mbs = (l > 0) ? sprintf("%.0f", b / 1048576 / l) : "n/a"
        printf "| %.1f MB | %d | %.4f | %.4f (%.4f) | %s | %s | %.1f (%.1fx) | %.4f | %.1f |\n",
            b / 1048576, q, w, l, lw, mbs, ratio, lk / 1024, lk * 1024 / b, c, ck / 1024
    }'
    if [ "$kb" = 10240 ]; then
        awk -v w="$wc_cpu" -v l="$load_cpu" -v lk="$load_kb" -v b="$bytes" 'BEGIN {
            t = (w > 0 && l <= 5 * w) ? "met" : "NOT met"
            printf "\n10 MB target: load within 5x wc -l: %.1fx, %s\n", l / w, t
            exit (t == "met") ? 0 : 1
        }' || status=1
        awk -v l="$load_cpu" -v c="$check_cpu" 'BEGIN {
            printf "10 MB target: --check within 2x the load: %.1fx, %s\n", c / l, (c <= 2 * l) ? "met" : "NOT met"
        }'
    fi
done

# Error-heavy scripts: 10 MB of misspelt keys in one answer, and one line of
# 100 MB in a question. The window refuses both at their first faulty line;
# --check reads them to the end and lists 100 diagnostics of each kind.
awk 'BEGIN { printf "<QUESTION>\n<ANSWER>\n"; while (n < 10485760) { printf "rogpt=1\n"; n += 8 } }' > keys.txt
{ printf '<QUESTION>\nname='; head -c 104857600 /dev/zero | tr '\0' x; printf '\n</QUESTION>\n'; } > line.txt
for input in "keys.txt 10 MB of misspelt keys" "line.txt one 100 MB line"; do
    set -- $input; file=$1; shift
    k=5; [ "$file" = line.txt ] && k=1
    set -- $(best "$runs" "$k" "$cli" "$file"); load_cpu=$1
    set -- $(best "$runs" "$k" "$cli" --check "$file"); check_cpu=$1; check_kb=$3
    lines=$("$cli" --check "$file" 2>&1 | wc -l)
    awk -v what="${input#* }" -v l="$load_cpu" -v c="$check_cpu" -v n="$lines" -v ck="$check_kb" 'BEGIN {
        printf "%s: load %.4f s, --check %.4f s = %.1fx the load (peak %.1f MB), %d lines of output; target --check within 2x the load: %s\n",
            what, l, c, c / l, ck / 1024, n, (c <= 2 * l) ? "met" : "NOT met"
    }'
done
rm -f keys.txt line.txt

# Empty question blocks: the most blocks, so the most memory, per byte of file.
awk 'BEGIN { while (n < 10485760) { printf "<QUESTION>\n</QUESTION>\n"; n += 23 } }' > script.txt
bytes=$(wc -c < script.txt)
set -- $(best "$runs" 1 "$cli"); empty_kb=$3
set -- $(best "$runs" 1 "$cli" --check script.txt); empty_check_kb=$3
for run in "load $empty_kb" "--check $empty_check_kb"; do
    set -- $run
    awk -v what="$1" -v k="$2" -v b="$bytes" 'BEGIN {
        m = (k * 1024 <= 4 * b) ? "met" : "NOT met"
        printf "10 MB of empty question blocks (%d questions), %s: peak %.1f MB = %.1fx the file; target within 4x: %s\n",
            b / 23, what, k / 1024, k * 1024 / b, m
    }'
done
# --publish of the 10 MB script: the script, its check and the page it writes
# at the peak, beyond what the program takes to start (--help); target within
# 2 times the page.
if [ -f "$(dirname "$cli")/kinpath-page.html" ]; then
    sh "$here/gen_script.sh" 10240 > script.txt
    /usr/bin/time -o t -f "%M" "$cli" --help > /dev/null 2>&1
    start_kb=$(cat t)
    /usr/bin/time -o t -f "%M" "$cli" --publish script.txt -o page.html > /dev/null 2>&1
    awk -v k="$(cat t)" -v s="$start_kb" -v p="$(wc -c < page.html)" 'BEGIN {
        r = (k - s) * 1024 / p
        printf "--publish of 10 MB: a page of %.1f MB, peak %.1f MB, %.1f MB of it at start: %.2fx the page; target within 2x: %s\n",
            p / 1048576, k / 1024, s / 1024, r, (r <= 2) ? "met" : "NOT met"
    }'
else
    echo "--publish not measured: no kinpath-page.html beside $cli"
fi
# The figures are reported; a missed target is not a failed run.
exit 0
