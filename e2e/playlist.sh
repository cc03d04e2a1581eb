#!/usr/bin/env bash
# A collection as a new user builds it, under Xvfb: Add folder in the playlist window takes
# ~/Music with its four sub-folders in one step (a text file named as a module stays out, the
# module inside a zip comes in), the rows show titles and lengths, typing part of a title finds
# the song and Return plays it, a row dragged to the top stays there, three rows selected with
# Shift go with one Delete, the list is saved as M3U, and after a restart File > Open playlist
# brings its songs back; the module inside the zip plays. Every change is in playlist.dat at
# once.
#
# usage: playlist.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
music=$HOME/Music
mkdir -p "$music/tunes" "$music/more/deeper" "$music/zipped" "$music/empty" "$XDG_CONFIG_HOME/vorka"
"$make_modules" "$music/tunes" >/dev/null
"$make_modules" "$music/more/deeper" --told >/dev/null
"$make_modules" "$work/music" --wide >/dev/null
echo "just words" >"$music/tunes/notes.xm"
python3 - "$music/zipped/pack.zip" "$work/music/Wide Tune.it" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.write(sys.argv[2], 'inside/Wide Tune.it')
    z.writestr('readme.txt', 'a module for the test')
PY
printf '[generaloptions]\nFIRSTTIME=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"
stored() { tr -d '\r' <"$prog/playlist.dat"; }

# The rows of the playlist window as text, a line a row: title, artist, length, format, file.
# Down in the find field goes to the rows.
rows() {
  printf '' | xclip -selection clipboard
  keys "$songs" ctrl+f Down ctrl+a ctrl+c
  xclip -o -selection clipboard
}

# Waits until the playlist file holds `count` entries.
entries() {
  for _ in $(seq 100); do
    [ "$(stored | grep -c .)" -eq "$1" ] && return 0
    sleep 0.1
  done
  fail "the playlist holds $(stored | grep -c .) entries, not $1"
}

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
keys "$main" ctrl+l
songs=$(window '^Playlist$' NORMAL) || fail "Ctrl+L opened no playlist window"

# Add folder opens at the music folder; choosing it adds everything below it.
keys "$songs" alt+f
chooser=$(window '^Add folder$' DIALOG) || fail "Add folder opened no folder chooser"
sleep 0.5
keys "$chooser" Return
closed "$chooser" || fail "the folder chooser did not close"
entries 6
stored | grep -q 'pack.zip#inside/Wide Tune.it' || fail "the module inside the zip was not added"
stored | grep -q 'notes.xm' && fail "a text file named as a module was added"
[ "$(stored | head -1)" = "$music/more/deeper/Told Tune.it" ] || fail "sub-folders do not come first: $(stored | head -1)"
for _ in $(seq 30); do rows | grep -q $'^Alpha Tune\t\t0:30\tMOD\ttunes/Alpha Tune.mod$' && break; sleep 0.2; done
rows >"$work/rows.txt"
grep -q $'^Alpha Tune\t\t0:30\tMOD\ttunes/Alpha Tune.mod$' "$work/rows.txt" || fail "no title and length: $(cat "$work/rows.txt")"
grep -q $'^Told Tune (2/2)\t' "$work/rows.txt" || fail "the second subsong has no row of its own"
import -window "$songs" "$shots/playlist-window.png"

# Typing part of a title finds it; Return plays it.
keys "$songs" ctrl+f
xdotool type --delay 50 "WIDE"
found=$(rows)
[ "$(echo "$found" | wc -l)" -eq 1 ] || fail "finding 'WIDE' kept: $found"
keys "$songs" ctrl+f Return
wait_caption "$main" "VORKA - Wide Tune" || fail "Return in the find field did not play the zipped module: $(xdotool getwindowname "$main")"
expect_loud "from the module inside the zip"
import -window "$songs" "$shots/playlist-found.png"
keys "$songs" ctrl+f ctrl+a BackSpace

# The last row (the zipped module's) dragged to the top.
row_y() { echo $((66 + 17 * $1)); }
xdotool mousemove --window "$songs" 100 "$(row_y 6)" mousedown 1
for step in 5 4 3 2 1 0; do xdotool mousemove --window "$songs" 100 "$(($(row_y $step) - 5))"; sleep 0.1; done
xdotool mouseup 1
sleep 0.5
[ "$(stored | head -1)" = "$music/zipped/pack.zip#inside/Wide Tune.it" ] || fail "the dragged row is not first: $(stored | head -1)"

# Three rows at once: Alpha, and with Shift Beta and Delta.
click "$songs" 100 "$(row_y 3)"
xdotool keydown shift
click "$songs" 100 "$(row_y 5)"
xdotool keyup shift
keys "$songs" Delete
entries 3
stored | grep -qE 'Alpha|Beta|Delta' && fail "the three rows were not removed: $(stored)"
import -window "$songs" "$shots/playlist-removed.png"

# Saved as M3U; after a restart, File > Open playlist brings it back.
keys "$main" ctrl+shift+s
saver=$(window '^Save playlist as$' DIALOG) || fail "no save dialog"
sleep 0.5
keys "$saver" ctrl+a
xdotool type --delay 20 "$work/mine.m3u"
keys "$saver" Return
for _ in $(seq 50); do [ -s "$work/mine.m3u" ] && break; sleep 0.1; done
head -1 "$work/mine.m3u" | grep -q '^#EXTM3U' || fail "the saved list is no M3U"
[ "$(grep -c '^#EXTINF:' "$work/mine.m3u")" -eq 3 ] || fail "the saved list has not three songs: $(cat "$work/mine.m3u")"
cp "$prog/playlist.dat" "$work/before.dat"
exit_program "$main"

printf '' >"$prog/playlist.dat"
start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window after the restart"
keys "$main" ctrl+o
opener=$(window '^Open playlist$' DIALOG) || fail "no open dialog"
sleep 0.5
xdotool type --delay 20 "$work/mine.m3u"
keys "$opener" Return
entries 3
[ "$(stored)" = "$(tr -d '\r' <"$work/before.dat")" ] || fail "the opened list differs: $(stored)"
exit_program "$main"
