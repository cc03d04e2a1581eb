#!/usr/bin/env bash
# The desktop's player controls and a second start, on a session bus of the check's own
# (run under dbus-run-session): Play, Next, Pause, PlayPause and Stop called over MPRIS with
# gdbus, each read back through PlaybackStatus and Metadata, the caption and the sound of SDL's
# disk driver; the changes are announced with PropertiesChanged, also those made in the game
# window; a second `vorka FILE` hands the file to the running one and ends; Quit ends the
# program through its normal end.
#
# usage: desktop.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "no session bus: run under dbus-run-session"
install_program "$build"
"$make_modules" "$work/music"
printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Beta Tune.s3m" >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nFULLSCREEN=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"

mpris=(--session --dest org.mpris.MediaPlayer2.vorka --object-path /org/mpris/MediaPlayer2)
call() { gdbus call "${mpris[@]}" --method "org.mpris.MediaPlayer2.$1" >/dev/null; }
player() {
  gdbus call "${mpris[@]}" --method org.freedesktop.DBus.Properties.Get \
    org.mpris.MediaPlayer2.Player "$1"
}

# Waits until PlaybackStatus is the given one and the title in Metadata holds the given text.
expect_player() {
  local status=$1 title=$2
  for _ in $(seq 50); do
    if player PlaybackStatus | grep -q "'$status'" && player Metadata | grep -q "'xesam:title': <'$title'>"; then
      return 0
    fi
    sleep 0.1
  done
  fail "MPRIS shows $(player PlaybackStatus) $(player Metadata), not $status '$title'"
}

dbus-monitor --session "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',path='/org/mpris/MediaPlayer2'" \
  >"$work/signals.txt" 2>/dev/null &
monitor=$!
announced() {
  for _ in $(seq 50); do
    [ "$(grep -c "string \"$1\"" "$work/signals.txt")" -ge "$2" ] && return 0
    sleep 0.1
  done
  fail "PropertiesChanged announced '$1' $(grep -c "string \"$1\"" "$work/signals.txt") times, not $2"
}

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
for _ in $(seq 50); do player PlaybackStatus >/dev/null 2>&1 && break; sleep 0.1; done

call Player.Play
expect_player Playing "Alpha Tune"
wait_caption "$main" "VORKA - Alpha Tune" || fail "Play: caption is '$(xdotool getwindowname "$main")'"
expect_loud "after Play"
announced Playing 1

call Player.Next
expect_player Playing "Beta Tune"
wait_caption "$main" "VORKA - Beta Tune" || fail "Next: caption is '$(xdotool getwindowname "$main")'"
player Metadata | grep -q "'xesam:url': <'file://$work/music/Beta%20Tune.s3m'>" || fail "Next: $(player Metadata)"
player Metadata | grep -q "'mpris:length': <int64 [1-9]" || fail "Next: no length in $(player Metadata)"

call Player.Pause
expect_player Paused "Beta Tune"
expect_silent "after Pause"
announced Paused 1

call Player.PlayPause
expect_player Playing "Beta Tune"
expect_loud "after PlayPause"
announced Playing 2

call Player.Stop
expect_player Stopped "Beta Tune"
expect_silent "after Stop"
announced Stopped 1
import -window "$main" "$shots/mpris-stopped.png"

# A second start hands its file over and ends; the running one adds it and plays it.
started=$(date +%s%N)
"$prog/vorka" "$work/music/Gamma Tune.xm" || fail "the second start ended with status $?"
echo "the second start handed over in $((($(date +%s%N) - started) / 1000000)) ms"
expect_player Playing "Gamma Tune"
wait_caption "$main" "VORKA - Gamma Tune" || fail "hand-over: caption is '$(xdotool getwindowname "$main")'"
[ "$(xdotool search --onlyvisible --name '^VORKA' | wc -l)" -eq 1 ] || fail "a second main window is open"

# S in the game window stops the music, and the desktop hears of it.
keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
xdotool windowfocus --sync "$game"
for _ in 1 2 3 4 5; do
  hold s
  player PlaybackStatus | grep -q "'Stopped'" && break
done
expect_player Stopped "Gamma Tune"
announced Stopped 2
for _ in 1 2 3; do
  hold Escape 0.5
  gone '^Vorka Music Player$' && break
done
gone '^Vorka Music Player$' || fail "Escape did not close the game window"

# Quit ends the program as File > Exit does.
call Quit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Quit did not end the program"
wait "$pid" || fail "Quit ended the program with status $?"
pid=
kill "$monitor" 2>/dev/null || true
grep -q "Gamma Tune.xm" "$prog/playlist.dat" || fail "the handed-over module is not in the stored playlist"

echo "PASS: desktop player controls (screenshots in $shots)"
