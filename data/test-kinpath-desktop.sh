#!/bin/sh
# Checks the desktop launcher against a scratch installed tree with a fake
# window program: the per-user folder, the first-start copy of the sample, that
# an edited script is never overwritten, and that the window runs in the folder.
#
# Usage: test-kinpath-desktop.sh <configured kinpath-desktop> <bin-to-data path>

set -u

configured=$1
bin_to_data=$2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kinpath-desktop-test.XXXXXX") || exit 1
trap 'rm -rf -- "$scratch"' EXIT
failures=0

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    failures=$((failures + 1))
}

expect_file() { # path, expected content, what
    if [ ! -f "$1" ]; then
        fail "$3: $1 does not exist"
    elif [ "$(cat -- "$1")" != "$2" ]; then
        fail "$3: $1 holds '$(cat -- "$1")', expected '$2'"
    fi
}

# A scratch install: bin/ with the launcher and a fake window, the sample in
# the data folder.
prefix=$scratch/prefix
mkdir -p "$prefix/bin" "$prefix/bin/$bin_to_data/kinpath" || exit 1
cp -- "$configured" "$prefix/bin/kinpath-desktop" || exit 1
chmod +x "$prefix/bin/kinpath-desktop"
sample=$prefix/bin/$bin_to_data/kinpath/script.txt
printf 'sample 1\n' >"$sample"
chmod a-w "$sample" # as a package may install it

# The fake window records where it ran, its arguments and the script it found.
log=$scratch/window.log
cat >"$prefix/bin/kinpath" <<EOF
#!/bin/sh
{
    printf 'dir=%s\n' "\$(pwd -P)"
    printf 'args=%s\n' "\$*"
    printf 'script=%s\n' "\$(cat script.txt 2>/dev/null || echo none)"
} >"$log"
exit 7
EOF
chmod +x "$prefix/bin/kinpath"

launcher=$prefix/bin/kinpath-desktop
run() { # environment assignments, then the launcher with its arguments
    rm -f -- "$log"
    env -u XDG_DATA_HOME -u KINPATH_PROGRAM -u KINPATH_SAMPLE_SCRIPT "$@" 2>"$scratch/stderr"
}

data=$scratch/data
mkdir -p "$data" "$scratch/home"
data=$(cd "$data" && pwd -P)
home=$(cd "$scratch/home" && pwd -P)

# First start: the folder is made, the sample copied, the window run there.
run HOME="$home" XDG_DATA_HOME="$data" "$launcher"
status=$?
[ "$status" = 7 ] || fail "first start: exit status $status, expected the window's 7"
expect_file "$data/kinpath/script.txt" "sample 1" "first start"
expect_file "$log" "dir=$data/kinpath
args=
script=sample 1" "first start"
[ -z "$(ls -A "$data/kinpath" | grep -v '^script.txt$')" ] ||
    fail "first start left other files: $(ls -A "$data/kinpath")"

# (Not "test -w": that is always true for root.)
[ -n "$(find "$data/kinpath/script.txt" -perm -u+w)" ] ||
    fail "first start: the copy of a read-only sample is not writable"

# An edited script survives later starts, also with a newer sample.
printf 'my own questions\n' >"$data/kinpath/script.txt"
chmod u+w "$sample" && printf 'sample 2\n' >"$sample"
run HOME="$home" XDG_DATA_HOME="$data" "$launcher" -style fusion
expect_file "$data/kinpath/script.txt" "my own questions" "second start"
expect_file "$log" "dir=$data/kinpath
args=-style fusion
script=my own questions" "second start"

# A deleted script is copied again.
rm -f "$data/kinpath/script.txt"
run HOME="$home" XDG_DATA_HOME="$data" "$launcher"
expect_file "$data/kinpath/script.txt" "sample 2" "after deleting the script"

# A link the user put there is left alone, even a dangling one.
rm -f "$data/kinpath/script.txt"
ln -s "$scratch/elsewhere.txt" "$data/kinpath/script.txt"
run HOME="$home" XDG_DATA_HOME="$data" "$launcher"
[ -L "$data/kinpath/script.txt" ] && [ ! -e "$scratch/elsewhere.txt" ] ||
    fail "a dangling link was replaced or followed"

# Unset, empty or relative XDG_DATA_HOME: ~/.local/share/kinpath.
for xdg in unset "" relative/path; do
    rm -rf "$home/.local"
    if [ "$xdg" = unset ]; then
        run HOME="$home" "$launcher"
    else
        run HOME="$home" XDG_DATA_HOME="$xdg" "$launcher"
    fi
    expect_file "$home/.local/share/kinpath/script.txt" "sample 2" "XDG_DATA_HOME '$xdg'"
    expect_file "$log" "dir=$home/.local/share/kinpath
args=
script=sample 2" "XDG_DATA_HOME '$xdg'"
done

# Folder names with blanks.
spaced="$data/with blanks"
run HOME="$home" XDG_DATA_HOME="$spaced" "$launcher"
expect_file "$spaced/kinpath/script.txt" "sample 2" "blanks in the path"

# A missing sample: no script, a warning, and the window still starts (it
# reports the missing script itself).
rm -f "$sample"
run HOME="$home" XDG_DATA_HOME="$scratch/fresh" "$launcher"
[ ! -e "$scratch/fresh/kinpath/script.txt" ] || fail "missing sample: a script appeared"
grep -q 'missing' "$scratch/stderr" || fail "missing sample: no warning"
[ -f "$log" ] || fail "missing sample: the window did not start"

# The folder cannot be made: an error, and the window is not started.
printf 'x\n' >"$scratch/afile"
run HOME="$home" XDG_DATA_HOME="$scratch/afile" "$launcher"
status=$?
[ "$status" != 0 ] || fail "unwritable folder: exit status 0"
[ ! -f "$log" ] || fail "unwritable folder: the window started"

# The overrides, as used when running from a build tree.
printf 'override sample\n' >"$scratch/other-sample.txt"
cp "$prefix/bin/kinpath" "$scratch/other-window"
run HOME="$home" XDG_DATA_HOME="$scratch/over" \
    KINPATH_PROGRAM="$scratch/other-window" KINPATH_SAMPLE_SCRIPT="$scratch/other-sample.txt" "$launcher"
expect_file "$scratch/over/kinpath/script.txt" "override sample" "overrides"
[ -f "$log" ] || fail "overrides: the window did not start"

if [ "$failures" -ne 0 ]; then
    printf '%d check(s) failed\n' "$failures" >&2
    exit 1
fi
echo "kinpath-desktop: all checks passed"
