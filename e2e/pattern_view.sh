#!/usr/bin/env bash
# The pattern view of the real program under Xvfb: F7 opens it while a module plays, the row
# heard moves on (two screenshots a second apart differ in the highlighted row's number), a
# click on a channel's head mutes that channel (the sound gets quieter) and a second click
# brings it back; a 32-channel module scrolls sideways; Escape closes the window, and the game
# opened next does not take that Escape for its own.
#
# usage: pattern_view.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
"$make_modules" "$work/music"
"$make_modules" "$work/music" --wide
printf '%s\r\n' "$work/music/Delta Tune.it" "$work/music/Wide Tune.it" >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"

# The number of the highlighted row in screenshot $1 of the pattern view: the bar is found by
# its colour at the right edge of the canvas, and the row number at its left is cut out.
heard_row() {
  local y
  y=$(convert "$1" -crop 1x+$(($(identify -format %w "$1") - 12))+0 txt:- |
    awk -F'[,:() ]+' '!found && NR > 1 && $5 > 90 && $5 > $3 + 40 { print $2; found = 1 }')
  [ -n "$y" ] || fail "no highlighted row in $1"
  convert "$1" -crop 34x12+0+"$y" "$1.row.png"
}

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
click "$main" 240 254
wait_caption "$main" "VORKA - Delta Tune" || fail "the song did not start"
keys "$main" F7
view=$(window '^Pattern view$' NORMAL) || fail "F7 opened no pattern view"
sleep 1
import -window "$view" "$shots/pattern-1.png"
sleep 1
import -window "$view" "$shots/pattern-2.png"
heard_row "$shots/pattern-1.png"
heard_row "$shots/pattern-2.png"
if cmp -s "$shots/pattern-1.png.row.png" "$shots/pattern-2.png.row.png"; then
  fail "the highlighted row stood still for a second"
fi

# The first channel's head, right below the line of the place.
loud=$(next_second_peak)
click "$view" 60 32
quieter=$(next_second_peak)
import -window "$view" "$shots/pattern-muted.png"
[ "$quieter" -lt $((loud * 9 / 10)) ] || fail "muting channel 1 left the sound as loud ($loud, then $quieter)"
click "$view" 60 32
again=$(next_second_peak)
[ "$again" -gt $((quieter * 11 / 10)) ] || fail "channel 1 stayed muted ($quieter, then $again)"

# A module wider than the window scrolls sideways.
keys "$main" n
wait_caption "$main" "VORKA - Wide Tune" || fail "the wide song did not start"
sleep 1
import -window "$view" "$shots/pattern-wide.png"
xdotool windowfocus --sync "$view"
xdotool key --delay 50 Escape
closed "$view" || fail "Escape did not close the pattern view"

# That Escape is not the game's: F9 opens a game window that stays open.
keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 after the pattern view opened no game window"
sleep 1
xwininfo -id "$game" 2>/dev/null | grep -q IsViewable || fail "the game window closed by itself"
xdotool windowfocus --sync "$game"
for _ in 1 2 3; do
  hold Escape 0.5
  gone '^Vorka Music Player$' && break
done
gone '^Vorka Music Player$' || fail "Escape did not close the game window"

exit_program "$main"
grep -q '^PATTERN=' "$XDG_CONFIG_HOME/vorka/vorka.ini" || fail "the pattern view's place was not stored"
echo "PASS: pattern view (screenshots in $shots)"
