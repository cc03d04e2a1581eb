#!/usr/bin/env bash
# VORKA with a stored playlist and a full high-score file, driven under Xvfb: the main window
# shows the 20 results; F8 opens nothing while stopped and, while a song plays, opens
# "Module Info" with the song's facts and instrument names (read back through the clipboard,
# as a user copying them would), and stays open to follow the next song: a module with a
# message and two subsongs shows which subsong plays in the caption, its message on the
# Message page, and plays the subsong chosen in
# Music > Subsong; Help > About shows its guide. At the end the module is saved as FLAC from the
# command line.
#
# usage: module_info.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
"$make_modules" "$work/music" "$prog/highscore.dat"
"$make_modules" "$work/music" --told
printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Told Tune.it" >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"

# Selects everything in the text field at x, y of window w, copies it and prints it.
copied_text() {
  printf '' | xclip -selection clipboard
  click "$1" "$2" "$3"
  keys "$1" ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard
}

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
sleep 0.5
import -window "$main" "$shots/highscores.png"

# F8 while nothing plays opens nothing.
keys "$main" F8
if window '^Module Info$' 'UTILITY|DIALOG' 10 >/dev/null; then fail "F8 opened Module Info while stopped"; fi

# Play, then F8: the first song's facts.
click "$main" 240 254
wait_caption "$main" "VORKA - Alpha Tune" || fail "the first song did not start"
keys "$main" F8
info=$(window '^Module Info$' 'UTILITY|DIALOG') || fail "F8 opened no Module Info while playing"
sleep 0.3
import -window "$info" "$shots/modinfo.png"
expected=$(printf '%s\n' "Length      : 4 patterns" "Patterns    : 4" "Instruments : 31" \
  "Channels    : 4" "Filename    : Alpha Tune.mod")
general=$(copied_text "$info" 120 160)
[ "$general" = "$expected" ] || fail "Module Info reads: $general"

# The Instruments page: the two named samples, then the empty slots of a mod.
click "$info" 110 14
instruments=$(copied_text "$info" 120 100)
[ "$(printf '%s\n' "$instruments" | head -2)" = "$(printf 'Lead\nBass')" ] ||
  fail "the instruments read: $instruments"
import -window "$info" "$shots/modinfo-instruments.png"

# Module Info stays open beside the main window and follows the next song, which has a message
# and two subsongs.
keys "$main" n
wait_caption "$main" "VORKA - Told Tune (1/2)" || fail "the caption shows no subsong"
click "$info" 195 14
message=$(copied_text "$info" 150 100)
[ "$message" = "$(printf 'Told Tune\nwritten for the checks,\n  with a second song.')" ] ||
  fail "the Message page reads: $message"
import -window "$info" "$shots/modinfo-message.png"
keys "$info" alt+o
gone '^Module Info$' || fail "OK did not close Module Info"
keys "$main" alt+m g
sleep 0.5
import -window root "$shots/subsong-menu.png"
keys "$main" Down Return
wait_caption "$main" "VORKA - Told Tune (2/2)" || fail "Music > Subsong did not play the second subsong"

# Help > About.
keys "$main" alt+h a
about=$(window '^About VORKA$' 'UTILITY|DIALOG') || fail "Help > About opened nothing"
sleep 0.3
import -window "$about" "$shots/about.png"
click "$about" 244 267
gone '^About VORKA$' || fail "OK did not close the about box"

exit_program "$main"
[ "$(stat -c %s "$prog/highscore.dat")" -eq $((20 * 89)) ] || fail "highscore.dat lost its results"

# The same module saved as FLAC from the command line, with no display: a whole FLAC file and
# status 0, another for its second subsong; a name without an audio type or a subsong the
# module does not have fails with status 1 and leaves nothing.
env -u DISPLAY "$prog/vorka" --export "$work/told.flac" "$work/music/Told Tune.it" ||
  fail "vorka --export failed"
[ "$(head -c 4 "$work/told.flac")" = fLaC ] || fail "vorka --export wrote no FLAC file"
env -u DISPLAY "$prog/vorka" --export "$work/told-2.flac" --subsong 2 "$work/music/Told Tune.it" ||
  fail "vorka --export --subsong 2 failed"
! cmp -s "$work/told.flac" "$work/told-2.flac" || fail "the second subsong was saved as the first"
if env -u DISPLAY "$prog/vorka" --export "$work/told.mp3" "$work/music/Told Tune.it" 2>/dev/null; then
  fail "vorka --export to an .mp3 name succeeded"
fi
said=$(env -u DISPLAY "$prog/vorka" --export "$work/told-3.flac" --subsong 3 "$work/music/Told Tune.it" 2>&1) &&
  fail "vorka --export --subsong 3 succeeded"
[ "$said" = "vorka: $work/music/Told Tune.it has 2 subsongs: there is no subsong 3." ] ||
  fail "vorka --export --subsong 3 said: $said"
[ ! -e "$work/told.mp3" ] && [ ! -e "$work/told-3.flac" ] || fail "a failed export left a file"
echo "PASS: module information, high scores and about box (screenshots in $shots)"
