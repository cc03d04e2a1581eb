#!/usr/bin/env bash
# A user's first run of VORKA, driven under Xvfb with xdotool: the welcome box, a playlist
# built from a folder of modules with Ctrl+P, Add all and OK, Play with sound coming out of
# SDL's disk driver, Stop, Setup left with Escape and no second welcome, and File > Exit writing
# the settings and the playlist.
#
# usage: first_run.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
"$make_modules" "$work/music"
start_program

# First start: the welcome box comes before the main window.
box=$(window '^VORKA$' DIALOG) || fail "no welcome box"
for w in $(xdotool search --onlyvisible --name '^VORKA$'); do
  if xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q "= _NET_WM_WINDOW_TYPE_NORMAL"; then fail "main window before the welcome box"; fi
done
import -window "$box" "$shots/welcome.png"
keys "$box" Return

main=$(window '^VORKA$' NORMAL) || fail "no main window"
sleep 0.5
import -window "$main" "$shots/main.png"

# Ctrl+P, the folder of modules typed into the folder field, "...", Add all, OK.
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog"
click "$dialog" 84 112
keys "$dialog" ctrl+a
xdotool type --delay 20 "$work/music"
keys "$dialog" Return alt+a
sleep 0.5
import -window "$dialog" "$shots/playlist.png"
click "$dialog" 225 424
gone '^Playlist$' || fail "OK did not close the playlist dialog"

# Play: the first module's name in the caption, and sound in the disk driver's file.
click "$main" 240 254
wait_caption "$main" "VORKA - Alpha Tune" || fail "caption is '$(xdotool getwindowname "$main")'"
expect_loud "after Play"
import -window "$main" "$shots/playing.png"

# Stop: what follows is silence.
click "$main" 196 254
expect_silent "after Stop"

# The setup dialog, looked at and left with Escape, which is Cancel: the welcome, shown at the
# start, does not come again.
keys "$main" alt+o s
setup=$(window '^Setup$' UTILITY) || fail "Options > Setup opened nothing"
sleep 0.3
import -window "$setup" "$shots/setup.png"
keys "$setup" Escape
gone '^Setup$' || fail "Escape did not close the setup dialog"
if window '^VORKA( - .*)?$' DIALOG 10 >/dev/null; then fail "Escape in Setup showed the welcome again"; fi

# File > Exit ends the program and writes the settings and the playlist.
exit_program "$main"

ini=$XDG_CONFIG_HOME/vorka/vorka.ini
grep -qx 'FIRSTTIME=0' "$ini" || fail "vorka.ini has no FIRSTTIME=0"
expected=$(printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Beta Tune.s3m" \
  "$work/music/Delta Tune.it" "$work/music/Gamma Tune.xm" | od -c)
actual=$(od -c <"$prog/playlist.dat")
[ "$actual" = "$expected" ] || fail "playlist.dat is not the four modules in CR LF lines"

echo "PASS: first run (screenshots in $shots)"
