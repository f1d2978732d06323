#!/bin/sh
# The installer as a user meets it, under Wine: a silent install puts both
# programs, the page, the studio, the sample, the README and the script format
# in place with the Start-menu entries;
# the entry's --user-folder start gives the user Documents\Kinpath with a copy
# of the sample, and a second start keeps the user's edited copy; the
# uninstaller removes the programs and the entries and leaves the user's folder.
# Usage: installer_test.sh BUILD_DIR WINE_RUN PREFIX
set -eu
build=$1
wine_run=$2
prefix=$3
export WINEPREFIX="$prefix"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wine() { "$wine_run" "$prefix" "$@"; }

cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
installer=$(ls "$work"/Kinpath-*-windows-x64.exe)

wine "$installer" /S '/D=C:\KinpathTest'
dir="$prefix/drive_c/KinpathTest"
for f in kinpath.exe kinpath-cli.exe kinpath-page.html kinpath-studio.html script.txt README.txt \
    script-format.txt Uninstall.exe; do
    [ -f "$dir/$f" ] || fail "$f not installed"
done
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kinpath"
for entry in Kinpath "Kinpath README" "Writing questions" "Kinpath Studio"; do
    [ -f "$menu/$entry.lnk" ] || fail "no Start-menu entry $entry"
done
grep -aq 'kinpath-studio\.html' "$menu/Kinpath Studio.lnk" || fail "Kinpath Studio opens no studio"

# The entry's start, twice: the window runs until it is closed here, as a user
# closes it (only this prefix's window: other prefixes may run one too).
documents=$(find "$prefix/drive_c/users" -maxdepth 2 -name Documents | head -n 1)
[ -n "$documents" ] || fail "no Documents folder"
# Never a link into the home folder, whose Kinpath folder is the user's own.
[ ! -L "$documents" ] || fail "Documents is a link out of the Wine prefix"
user="$documents/Kinpath"
rm -rf "$user"
start_window() {
    wine "$dir/kinpath.exe" --user-folder &
    started=$!
    for _ in $(seq 100); do [ -f "$user/script.txt" ] && break; sleep 0.1; done
    sleep 1
    wine taskkill /im kinpath.exe >/dev/null 2>&1 || true
    for _ in $(seq 100); do kill -0 $started 2>/dev/null || break; sleep 0.1; done
    kill -0 $started 2>/dev/null && fail "the window did not close"
    wait $started || true
}
start_window
cmp -s "$user/script.txt" "$dir/script.txt" || fail "the sample was not copied"
echo "# my own questions" >"$user/script.txt"
start_window
[ "$(cat "$user/script.txt")" = "# my own questions" ] || fail "the user's copy was overwritten"

# In place (_?=), so that it finishes before it returns instead of going on
# from a copy of itself; it then leaves only itself behind.
wine "$dir/Uninstall.exe" /S '_?=C:\KinpathTest'
[ ! -e "$dir/kinpath.exe" ] || fail "the uninstaller left the program"
for entry in Kinpath "Kinpath README" "Writing questions" "Kinpath Studio"; do
    [ ! -e "$menu/$entry.lnk" ] || fail "the uninstaller left the Start-menu entry $entry"
done
[ -f "$user/script.txt" ] || fail "the uninstaller removed the user's folder"
echo "installer: installs, starts in the user's folder, keeps its copy, uninstalls"
