#!/bin/sh
# Source coverage of the core reached by the fuzz corpora: builds the targets
# with llvm-cov instrumentation in build-fuzz-cov, replays every input of
# fuzz/corpus, fuzz/regressions and (when given) a grown corpus folder, and
# prints the per-file and total line and branch coverage of src/.
#   fuzz/coverage.sh [GROWN_CORPUS_ROOT]   # e.g. build-fuzz/corpus
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
grown=${1:-}
out=$root/build-fuzz-cov
cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++-14 -DKINPATH_FUZZ_COVERAGE=ON > /dev/null
cmake --build "$out" -j 2 > /dev/null
rm -f "$out"/*.profraw
for t in script_fuzz pane_fuzz balance_fuzz publish_fuzz; do
    set -- "$root/fuzz/corpus/$t" "$root/fuzz/regressions/$t"
    if [ -n "$grown" ] && [ -d "$grown/$t" ]; then set -- "$@" "$(cd "$grown/$t" && pwd)"; fi
    LLVM_PROFILE_FILE="$out/$t.profraw" "$out/$t" -runs=0 "$@" > "$out/$t.replay.log" 2>&1
done
llvm-profdata-14 merge -sparse "$out"/*.profraw -o "$out/all.profdata"
llvm-cov-14 report "$out/script_fuzz" -object "$out/pane_fuzz" -object "$out/balance_fuzz" -object "$out/publish_fuzz" -instr-profile="$out/all.profdata" \
    "$root/src/window" "$root/src/text" "$root/src/script" "$root/src/scoring" \
    "$root/src/flow" "$root/src/app" "$root/src/authoring"
