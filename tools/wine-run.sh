#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGUMENTS...]: runs a cross-built Windows program
# under Wine with the Wine prefix PREFIX (one per build folder), made on first
# use. CMake uses it as the cross-compiling emulator, so CTest runs the Windows
# tests through it.
#
# wine-run.sh --end PREFIX: ends the prefix's Wine server and its display, and
# fails when a program or display of the prefix was left running (the last
# test of a run).
#
# Every program of a prefix shares one Wine server and one virtual X display
# (Xvfb) of the prefix's own. The server is started once, under the prefix's
# lock, before any program of a run, and stays until --end (or a minute after
# its last program, when nothing ends it): programs starting together never
# race to start or stop it, and none ever loses it while running. The display
# lives exactly as long as the server.
set -eu

end=false
if [ "$1" = --end ]; then
    end=true
    shift
fi
prefix=$1
shift

export WINEPREFIX="$prefix"
# Quiet, and no offer to download the .NET and HTML engines nobody needs here.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
# "PID :DISPLAY": the process that ends the display when the server ends.
state="$prefix.server"

# Whether the prefix's server, started here, still runs with its display.
server_alive() {
    [ -s "$state" ] && kill -0 "$(cut -d' ' -f1 "$state")" 2>/dev/null &&
        [ -S "/tmp/.X11-unix/X$(cut -d: -f2 "$state")" ]
}

start_server() {
    # A server of this prefix not started here (a program run by hand) has no
    # display and may end at any time: replace it.
    wineserver -k 2>/dev/null || true
    wineserver -w
    rm -f "$prefix.display"
    # Xvfb picks a free display number itself and writes it once it accepts
    # connections. Its parent is gone when this subshell ends, so no test's
    # end or time-out takes it along.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$prefix.display" 9>&- </dev/null >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$prefix.display" ] && break
        sleep 0.1
    done
    [ -s "$prefix.display" ] || { echo "wine-run.sh: Xvfb did not start" >&2; exit 1; }
    display=:$(cat "$prefix.display")
    DISPLAY=$display wineserver -p60 9>&- </dev/null >/dev/null 2>&1
    # Wine's own services and desktop start with the first program and stay
    # with the server: started here, they hold no test's output open.
    DISPLAY=$display wine cmd /c exit 9>&- </dev/null >/dev/null 2>&1 || true
    # The display ends with the server.
    sh -c 'wineserver -w; kill "$1"' sh "$xvfb" 9>&- </dev/null >/dev/null 2>&1 &
    echo "$! $display" >"$state"
}

# The processes of this prefix (every one carries its WINEPREFIX), as
# "PID command line".
prefix_processes() {
    env -u WINEPREFIX grep -lszxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ |
        while read -r file; do
            dir=${file%/environ}
            command=$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null) || continue
            # A zombie has no command line and holds nothing.
            [ -z "$command" ] || printf '%s %s\n' "${dir#/proc/}" "$command"
        done 2>/dev/null
}

if $end; then
    [ -d "$prefix" ] || exit 0
    # Programs still running besides the server, its display, the process
    # that watches them and Wine's own services were left behind by a test.
    left=$(prefix_processes | grep -v -e 'wine-run.sh --end' -e wineserver -e '^[0-9]* Xvfb ' \
        -e '[Cc]:.windows.system32.' || true)
    (
        flock 9
        wineserver -k 2>/dev/null || true
        wineserver -w
        for _ in $(seq 50); do
            server_alive || break
            sleep 0.1
        done
        rm -f "$state" "$prefix.display"
    ) 9>"$prefix.lock"
    sleep 0.5
    after=$(prefix_processes | grep -v 'wine-run.sh --end' || true)
    status=0
    if [ -n "$left" ]; then
        printf 'Left running by a test:\n%s\n' "$left" >&2
        status=1
    fi
    if [ -n "$after" ]; then
        printf 'Still running after the Wine server ended (now ended):\n%s\n' "$after" >&2
        echo "$after" | cut -d' ' -f1 | xargs kill 2>/dev/null || true
        status=1
    fi
    exit $status
fi

mkdir -p "$(dirname "$prefix")"
# Several tests may start at once: one of them makes the prefix and starts its
# server, the others wait.
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
    server_alive || start_server
) 9>"$prefix.lock"

DISPLAY=$(cut -d' ' -f2 "$state")
export DISPLAY
exec wine "$@"
