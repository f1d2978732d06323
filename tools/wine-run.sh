#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGUMENTS...]: runs a cross-built Windows program
# under Wine with the Wine prefix PREFIX (one per build folder), made on first
# use. CMake uses it as the cross-compiling emulator, so CTest runs the Windows
# tests through it. Set KINPATH_WINE_DISPLAY=xvfb to give the program a virtual
# X display of its own when none is set (the window tests).
set -eu
prefix=$1
shift

export WINEPREFIX="$prefix"
# Quiet, and no offer to download the .NET and HTML engines nobody needs here.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

mkdir -p "$(dirname "$prefix")"
# Several tests may start at once: one of them makes the prefix, the others wait.
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        # The prefix's Documents, Desktop and other profile folders are links
        # to the user's home: make them folders of the prefix's own, so that
        # nothing a test does lands in the home folder.
        for link in "$prefix"/drive_c/users/*/*; do
            if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
        done
        # Wine's own fonts (package fonts-wine), where this Wine does not find
        # them by itself: the dialog font, and the caption buttons' symbols.
        if [ -d /usr/share/wine/fonts ]; then
            cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
    fi
) 9>"$prefix.lock"

if [ "${KINPATH_WINE_DISPLAY:-}" = xvfb ] && [ -z "${DISPLAY:-}" ]; then
    # Wine's desktop process stays with the display it first met, which
    # xvfb-run takes away at the end: a window program gets a Wine server of its
    # own and ends it. Such tests run alone (RUN_SERIAL), so no other program
    # loses its server.
    wineserver -k 2>/dev/null || true
    wineserver -w
    status=0
    xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@" || status=$?
    wineserver -k 2>/dev/null || true
    wineserver -w
    exit $status
fi
exec wine "$@"
