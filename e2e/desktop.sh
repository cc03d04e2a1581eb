#!/usr/bin/env bash
# The desktop's player controls and a second start, on a session bus of the check's own
# (run under dbus-run-session): Play, Next, Pause, PlayPause, Stop and Play after Stop called
# over MPRIS with gdbus, each read back through PlaybackStatus and Metadata, the caption and the
# sound of SDL's disk driver; the changes are announced with PropertiesChanged, also those made
# in the game window; a second `vorka FILE` hands the file to the running one, which stores it
# at once (a Cancel in the playlist dialog keeps it), and ends, and gives up on a
# frozen one within 2 s; Open and OpenUri refuse what the playlist cannot keep and take names
# that are not UTF-8; a property written with a wrong type or value is refused; Quit ends the
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

# Waits until Metadata names the song's file by the given part of its address; the given
# action plays it.
expect_file() {
  for _ in $(seq 50); do player Metadata | grep -qF "$1" && return 0; sleep 0.1; done
  fail "$2 plays $(player Metadata)"
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

# Play after Stop starts the stopped song over, not the next one.
call Player.Play
expect_player Playing "Beta Tune"
expect_loud "after Play after Stop"
call Player.Stop
expect_player Stopped "Beta Tune"

# A second start hands its file over and ends; the running one adds it and plays it.
started=$(date +%s%N)
"$prog/vorka" "$work/music/Gamma Tune.xm" || fail "the second start ended with status $?"
echo "the second start handed over in $((($(date +%s%N) - started) / 1000000)) ms"
expect_player Playing "Gamma Tune"
wait_caption "$main" "VORKA - Gamma Tune" || fail "hand-over: caption is '$(xdotool getwindowname "$main")'"
[ "$(xdotool search --onlyvisible --name '^VORKA' | wc -l)" -eq 1 ] || fail "a second main window is open"

# The handed-over file is stored at once, so Cancel in the playlist dialog keeps it, and OK
# then hands over a list in which it plays in its own row.
grep -qF "Gamma Tune.xm" "$prog/playlist.dat" || fail "the handed-over module was not stored at once"
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog"
keys "$dialog" Escape
closed "$dialog" || fail "Escape left the playlist dialog open"
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog again"
sleep 0.5
click "$dialog" 225 424
closed "$dialog" || fail "OK did not close the playlist dialog"
player Metadata | grep -qF "'/example/vorka/Vorka/Track/2/0'" || fail "after Cancel and OK: $(player Metadata)"
expect_player Playing "Gamma Tune"

# Open and OpenUri take what the command line takes and nothing the playlist file cannot keep;
# a refusal is an error reply that names each path and why. Names are bytes: a Latin-1 name
# plays, from an address and from a second start.
mkdir "$work/odd"
for name in "line"$'\n'"feed.mod" "ctrl"$'\x1a'"z.mod" "L"$'\xe4'"tin.mod" "B"$'\xe4'"r.mod" "Frozen.mod"; do
  cp "$work/music/Alpha Tune.mod" "$work/odd/$name"
done
refusal() {
  local out
  out=$(gdbus call --session "$@" 2>&1) && fail "$* was accepted: $out"
  echo "$out"
}
vorka_bus=(--dest example.vorka.Vorka --object-path /example/vorka/Vorka --method example.vorka.Vorka.Open)
out=$(refusal "${vorka_bus[@]}" "[b'relative.mod', b'', b'/dev/zero', b'/etc/shadow', b'$work/odd/line\nfeed.mod', b'$work/odd/ctrl\032z.mod']")
for text in "relative.mod is not an absolute path." "An empty path names no file." \
  "/dev/zero is not a module the player can read" "/etc/shadow is not a module the player can read" \
  'odd/line\nfeed.mod cannot be kept in the playlist' 'odd/ctrl\x1Az.mod cannot be kept in the playlist'; do
  grep -qF -- "$text" <<<"$out" || fail "Open's refusal does not say '$text': $out"
done
out=$(refusal "${mpris[@]}" --method org.mpris.MediaPlayer2.Player.OpenUri "file://$work/odd/line%0Afeed.mod")
grep -qF 'odd/line\nfeed.mod cannot be kept in the playlist' <<<"$out" || fail "OpenUri %0A: $out"
out=$(refusal "${mpris[@]}" --method org.mpris.MediaPlayer2.Player.OpenUri "https://example.org/tune.mod")
grep -qF 'is not a local file' <<<"$out" || fail "OpenUri https: $out"
gdbus call --session "${mpris[@]}" --method org.mpris.MediaPlayer2.Player.OpenUri "file://$work/odd/L%E4tin.mod" >/dev/null ||
  fail "OpenUri of a Latin-1 name failed"
expect_player Playing "Alpha Tune"
expect_file "odd/L%E4tin.mod" "OpenUri %E4"
"$prog/vorka" "$work/odd/B"$'\xe4'"r.mod" || fail "the second start of a Latin-1 name ended with status $?"
expect_file "odd/B%E4r.mod" "the second start's Latin-1 name"

# A frozen VORKA: a second start gives up on it within 2 s, says why on standard error and runs
# on its own; thawed, the first one does not open the file as well.
kill -STOP "$pid"
started=$(date +%s%N)
SDL_DISKAUDIOFILE=$work/second.raw "$prog/vorka" "$work/odd/Frozen.mod" 2>"$work/second.err" &
second=$!
for _ in $(seq 30); do grep -q "did not answer" "$work/second.err" && break; sleep 0.1; done
grep -q "did not answer" "$work/second.err" || fail "the second start waited on a frozen VORKA: $(cat "$work/second.err")"
echo "the second start gave up on a frozen VORKA in $((($(date +%s%N) - started) / 1000000)) ms"
kill -CONT "$pid"
for _ in $(seq 50); do [ "$(xdotool search --onlyvisible --name '^VORKA' | wc -l)" -eq 2 ] && break; sleep 0.1; done
[ "$(xdotool search --onlyvisible --name '^VORKA' | wc -l)" -eq 2 ] || fail "the second start does not run on its own"
kill "$second"
wait "$second" || fail "the second VORKA ended with status $?"
sleep 0.5
player Metadata | grep -qF "odd/B%E4r.mod" || fail "the thawed VORKA opened the given-up file: $(player Metadata)"

# S in the game window stops the music, and the desktop hears of it.
keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
xdotool windowfocus --sync "$game"
for _ in 1 2 3 4 5; do
  hold s
  player PlaybackStatus | grep -q "'Stopped'" && break
done
expect_player Stopped "Alpha Tune"
announced Stopped 2
for _ in 1 2 3; do
  hold Escape 0.5
  gone '^Vorka Music Player$' && break
done
gone '^Vorka Music Player$' || fail "Escape did not close the game window"

# A property is written only with the type and a value MPRIS allows; anything else gets an error
# reply and leaves the value as it was.
before=$(for name in LoopStatus Shuffle Volume; do player "$name"; done)
for write in "LoopStatus <'track'>" "LoopStatus <''>" "LoopStatus <5>" "Shuffle <'yes'>" "Shuffle <5>" \
  "Volume <nan>" "Volume <'loud'>"; do
  out=$(gdbus call "${mpris[@]}" --method org.freedesktop.DBus.Properties.Set org.mpris.MediaPlayer2.Player $write 2>&1) &&
    fail "Set $write was accepted: $out"
  grep -q 'InvalidArgs' <<<"$out" || fail "Set $write: $out"
done
[ "$(for name in LoopStatus Shuffle Volume; do player "$name"; done)" = "$before" ] || fail "a refused write changed a property"

# Quit ends the program as File > Exit does.
call Quit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Quit did not end the program"
wait "$pid" || fail "Quit ended the program with status $?"
pid=
kill "$monitor" 2>/dev/null || true
grep -q "Gamma Tune.xm" "$prog/playlist.dat" || fail "the handed-over module is not in the stored playlist"
LC_ALL=C grep -qF "$work/odd/B"$'\xe4'"r.mod"$'\r' "$prog/playlist.dat" || fail "the Latin-1 name is not stored byte for byte"
grep -qF "Frozen.mod" "$prog/playlist.dat" && fail "the thawed VORKA stored the given-up file"

echo "PASS: desktop player controls (screenshots in $shots)"
