#!/bin/sh
# Checks the studio's launcher in a scratch installed tree: it hands the page
# beside it to xdg-open, and says so when the page or xdg-open is missing.
#
# Usage: test-kinpath-studio.sh <configured kinpath-studio> <bin-to-data path>

set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kinpath-studio-test.XXXXXX") || exit 1
trap 'rm -rf -- "$scratch"' EXIT
fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

prefix=$scratch/prefix
mkdir -p "$prefix/bin" "$prefix/bin/$2/kinpath" "$scratch/path" || exit 1
cp -- "$1" "$prefix/bin/kinpath-studio" && chmod +x "$prefix/bin/kinpath-studio" || exit 1
page=$prefix/bin/$2/kinpath/kinpath-studio.html
printf 'studio\n' >"$page"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >"%s/opened"\n' "$scratch" >"$scratch/path/xdg-open"
chmod +x "$scratch/path/xdg-open"
# Only the tools the launcher uses: never the real xdg-open.
for tool in readlink dirname; do
    ln -s "$(command -v $tool)" "$scratch/path/$tool" || exit 1
done

# Through a link on PATH, as a user may put it.
ln -s "$prefix/bin/kinpath-studio" "$scratch/path/kinpath-studio"
PATH="$scratch/path" kinpath-studio || fail "exit status $?"
[ "$(cat "$scratch/opened")" = "$page" ] ||
    fail "opened '$(cat "$scratch/opened")', expected '$page'"

rm -f "$scratch/opened" "$scratch/path/xdg-open"
PATH="$scratch/path" kinpath-studio 2>"$scratch/err" && fail "no xdg-open: status 0"
grep -q "open $page in a web browser" "$scratch/err" || fail "no xdg-open: $(cat "$scratch/err")"

rm -f "$page"
"$prefix/bin/kinpath-studio" 2>"$scratch/err" && fail "missing page: status 0"
grep -q missing "$scratch/err" || fail "missing page: no message"
echo "studio launcher: opens the page beside it, or says what is missing"
