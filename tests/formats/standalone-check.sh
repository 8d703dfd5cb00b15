#!/usr/bin/env bash
# The standalone Orvel on a machine without an audio device, as a person would try it on a
# virtual screen: it starts, shows its window with the editor, quits when its close button is
# clicked, saving its state, and quits the same way on Ctrl+C (SIGINT) in its terminal.
# Usage: standalone-check.sh ORVEL_APP OUTPUT_FOLDER   (needs a display, e.g. under xvfb-run)
set -euo pipefail

app=$1
out=$2
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log

# A home of its own: the application keeps its settings in ~/.config. No JACK server is
# started on demand, and ALSA finds no card on a headless machine.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home JACK_NO_START_SERVER=1

fail() { echo "FAIL: $*"; exit 1; }

# Starts the application and waits for its window; sets pid and window.
start_app() {
    local log=$1
    "$app" >"$log" 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 1 120); do
        window=$(xdotool search --onlyvisible --name '^Orvel$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$log"; fail "the application ended before showing a window"; }
        sleep 0.5
    done
    [ -n "$window" ] || fail "no window named Orvel within 60 s"
}

# Waits up to 30 s for the application to end; sets status to its exit status.
wait_for_exit() {
    for _ in $(seq 1 60); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        fail "the application was still running 30 s after being asked to quit"
    fi
    status=0
    wait "$pid" || status=$?
}

# 1. Start, show the editor, click the close button.
start_app "$out/first-run.log"
sleep 3 # the editor's first paint and the meters' timer
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $WIDTH x $HEIGHT"
# The editor's smallest size is 500 x 270; the window adds its title bar.
[ "$WIDTH" -ge 500 ] && [ "$HEIGHT" -ge 290 ] || fail "window of $WIDTH x $HEIGHT is smaller than the editor"

xwd -silent -id "$window" | convert xwd:- "$out/standalone.png"
colours=$(convert "$out/standalone.png" -format '%k' info:)
echo "screenshot $out/standalone.png with $colours colours"
# An empty window has a handful of colours; Orvel's panel, dials and meters have thousands.
[ "$colours" -ge 500 ] || fail "the window shows only $colours colours: no editor"

# JUCE's own title bar: the close button is the rightmost one.
xdotool mousemove --window "$window" $((WIDTH - 14)) 12 click 1
wait_for_exit
echo "exit status after the close button: $status"
[ "$status" -eq 0 ] || { cat "$out/first-run.log"; fail "exit status $status after the close button"; }

# Closing saved the plug-in's state block where the next start reads it.
settings="$HOME/.config/Orvel.settings"
[ -f "$settings" ] || fail "no $settings after closing"
grep -q 'name="filterState"' "$settings" || fail "no filterState in $settings"

# 2. Start again (with the saved state) and stop it with SIGINT, which JUCE turns into a quit.
start_app "$out/second-run.log"
sleep 2
kill -INT "$pid"
wait_for_exit
echo "exit status after SIGINT: $status"
[ "$status" -eq 0 ] || { cat "$out/second-run.log"; fail "exit status $status after SIGINT"; }

echo "standalone check passed"
