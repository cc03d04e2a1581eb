#!/usr/bin/env bash
# The game as a player meets it, under Xvfb: F9 opens "Vorka Music Player" in the menu; Right
# raises the start level to 10 and Enter starts; N and S drive the music from inside the game;
# F4 goes full screen and back; left alone the game reaches GAME OVER and shows its statistics;
# Escape closes the window and the result is in the high-score list and stored at once.
#
# usage: game.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
"$make_modules" "$work/music"
printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Gamma Tune.xm" >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nPLAYERNAME=Gamer\nFULLSCREEN=0\n' \
  >"$XDG_CONFIG_HOME/vorka/vorka.ini"

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
xdotool windowfocus --sync "$game"
sleep 1
import -window "$game" "$shots/game-menu.png"

# N from inside the game plays the first song, S stops it. N is tapped, as the help says: held
# for the key pattern's first repeat (100 to 150 ms) it would skip on to the second song once the
# first loads that fast.
for _ in 1 2 3 4 5; do
  hold n 0.05
  [ "$(xdotool getwindowname "$main")" = "VORKA - Alpha Tune" ] && break
done
wait_caption "$main" "VORKA - Alpha Tune" || fail "N did not play the next song"
hold s

# F4: full screen covers the screen, and F4 again brings the window back exactly as it was: its
# place and size, still fixed, its menu bar and its picture (compared where nothing moves: the
# menu bar and the header panel), twice over.
read -r width height < <(xdotool getwindowgeometry "$game" | awk '/Geometry/ {sub("x", " ", $2); print $2}')
size_is() {
  for _ in $(seq 50); do
    [ "$(xdotool getwindowgeometry "$game" | awk '/Geometry/ {print $2}')" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
place() { xwininfo -id "$game" | awk '/Absolute upper-left/ {printf "%s ", $4} END {print ""}'; }
limits() { xprop -id "$game" WM_NORMAL_HINTS | grep -E 'minimum|maximum' | awk '{print $(NF-2) "x" $NF}' | tr '\n' ' '; }
# The menu bar and the header panel of the window at its place, as one picture.
still_parts() {
  read -r x y < <(place)
  import -window root -crop "640x${menu}+$x+$y" +repage "$1-menu.png"
  import -window root -crop "240x46+$((x + 350))+$((y + menu + 35))" +repage "$1-header.png"
}
menu=$((height - 480))
[ "$menu" -gt 10 ] || fail "the game window has no menu bar: ${width}x${height}"
sleep 0.5
before_place=$(place)
before_limits=$(limits)
[ "$before_limits" = "${width}x${height} ${width}x${height} " ] || fail "the game window's size is not fixed: $before_limits"
still_parts "$work/before"
for round in 1 2; do
  keys "$game" F4
  size_is 1024x768 || fail "F4 did not go full screen: $(xdotool getwindowgeometry "$game")"
  sleep 0.5
  [ "$round" = 1 ] && import -window root "$shots/game-fullscreen.png"
  keys "$game" F4
  size_is "${width}x${height}" || fail "F4 did not bring the window back"
  sleep 0.5
  [ "$(place)" = "$before_place" ] || fail "round $round: the window came back at $(place), not $before_place"
  [ "$(limits)" = "$before_limits" ] || fail "round $round: the window's size is no longer fixed: $(limits)"
  still_parts "$work/after"
  for part in menu header; do
    differ=$(compare -metric AE "$work/before-$part.png" "$work/after-$part.png" null: 2>&1 || true)
    [ "$differ" = 0 ] || fail "round $round: the $part differs from before F4 in $differ pixels"
  done
done
import -window "$game" "$shots/game-after-f4.png"

# Start level 10 and play: a few moves, then nothing until GAME OVER.
xdotool windowfocus --sync "$game"
hold Right 2.0
hold Up
hold Return
sleep 2
hold Left 0.4
sleep 1
import -window "$game" "$shots/game-play.png"
sleep 25
import -window "$game" "$shots/game-over.png"

# Escape closes the game; the result reaches the high-score list.
for _ in 1 2 3; do
  hold Escape 0.5
  gone '^Vorka Music Player$' && break
done
gone '^Vorka Music Player$' || fail "Escape did not close the game window"
sleep 0.5
import -window "$main" "$shots/game-highscores.png"
result_stored() {
  python3 - "$prog/highscore.dat" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
records = [data[i:i + 89] for i in range(0, len(data) - 88, 89)]
found = [r for r in records if r[1:1 + r[0]] == b'Gamer' and struct.unpack('<i', r[85:89])[0] == 10]
sys.exit(0 if found else 1)
EOF
}
result_stored || fail "the game's result was not stored when the game window closed"

# A game that cannot be built, a bitmap missing: its error box ("Cannot read bitmap ...", in
# game-build-error.png), F4 trying again and saying so again, Escape closing the window; the
# main window goes on and File > Exit still writes.
mv "$prog/panel_header.bmp" "$work/"
error_box() {
  local box
  box=$(window '^VORKA( - .*)?$' DIALOG) || fail "$1: no error box"
  import -window "$box" "$shots/game-build-error.png"
  keys "$box" Return
  closed "$box" || fail "$1: OK did not close the box"
}
keys "$main" F9
error_box "F9"
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
keys "$game" F4
error_box "F4"
keys "$game" Escape
gone '^Vorka Music Player$' || fail "Escape did not close the game that could not be built"
mv "$work/panel_header.bmp" "$prog/"
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "the main window no longer answers"
keys "$dialog" Escape
gone '^Playlist$' || fail "Escape did not close the playlist dialog"
exit_program "$main"
result_stored || fail "the game's result is not in highscore.dat"
echo "PASS: game (screenshots in $shots)"
