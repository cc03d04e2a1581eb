#!/usr/bin/env bash
# The controls every listener expects, in the real program with a session bus and a screen
# reader's view of it (AT-SPI): SetPosition to 30 s lands within 0.5 s; Volume 0 is silent
# while the song plays on and Volume 1 is loud again; Pause, a wait and Play go on within
# 0.5 s of where it paused; LoopStatus Track keeps the song past its end; Previous after Next
# brings the first song back; the time panel reads "m:ss / m:ss"; Return and a double-click on
# a playlist row play it; the keys seek and set the volume; the main window comes back where
# it was at the next start.
#
# usage: controls.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "no session bus: run under dbus-run-session"
install_program "$build"
"$make_modules" "$work/music"
printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Beta Tune.s3m" "$work/music/Gamma Tune.xm" \
  >"$prog/playlist.dat"
ini=$XDG_CONFIG_HOME/vorka/vorka.ini
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nFULLSCREEN=0\n' >"$ini"

# The screen reader's bus, and Qt's accessibility on as a screen reader would turn it on.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress >/dev/null
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

mpris=(--session --dest org.mpris.MediaPlayer2.vorka --object-path /org/mpris/MediaPlayer2)
call() { gdbus call "${mpris[@]}" --method "org.mpris.MediaPlayer2.$1" "${@:2}" >/dev/null; }
player() {
  gdbus call "${mpris[@]}" --method org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1"
}
set_player() {
  gdbus call "${mpris[@]}" --method org.freedesktop.DBus.Properties.Set org.mpris.MediaPlayer2.Player "$1" "$2" >/dev/null
}
position() { player Position | sed -E 's/.*int64 (-?[0-9]+).*/\1/'; }
title_is() {
  for _ in $(seq 50); do
    player Metadata | grep -q "'xesam:title': <'$1'>" && return 0
    sleep 0.1
  done
  return 1
}
# The text of the status bar label that the screen reader knows by the given description.
label() {
  /usr/bin/python3 - "$1" <<'PY'
import pyatspi, sys
def find(node):
    try:
        if node.getRoleName() == 'label' and node.description == sys.argv[1]:
            return node.name
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i))
            if found is not None:
                return found
    except Exception:
        return None
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == 'vorka':
        print(find(app) or '')
PY
}
# |a - b| <= limit, all in microseconds.
within() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
for _ in $(seq 50); do player PlaybackStatus >/dev/null 2>&1 && break; sleep 0.1; done

call Player.Play
title_is "Alpha Tune" || fail "Play: $(player Metadata)"
track=$(player Metadata | sed -E "s/.*'mpris:trackid': <objectpath '([^']+)'>.*/\1/")

# SetPosition lands where it was asked to.
call Player.SetPosition "objectpath '$track'" 20000000
at=$(position)
within "$at" 20000000 500000 || fail "SetPosition to 20 s landed at $at µs"
echo "SetPosition to 20 s landed at $at µs"

# Volume 0 is silence while the song plays on; 1 is loud again; both are announced.
set_player Volume "<0.0>"
expect_silent "at Volume 0"
player PlaybackStatus | grep -q "'Playing'" || fail "Volume 0 stopped the song"
player Volume | grep -q "<0.0>" || fail "Volume reads $(player Volume)"
set_player Volume "<1.0>"
expect_loud "at Volume 1"

# Pause holds the place: Play goes on within 0.5 s of it.
call Player.Pause
paused=$(position)
sleep 1.5
call Player.Play
resumed=$(position)
within "$resumed" "$paused" 500000 || fail "paused at $paused µs, resumed at $resumed µs"
echo "paused at $paused µs, resumed at $resumed µs"

# The time panel, as a screen reader reads it.
time=$(label "Time played out of the song's length")
[[ "$time" =~ ^[0-9]+:[0-5][0-9]\ /\ 0:30$ ]] || fail "the time panel reads '$time'"
echo "the time panel reads '$time'"

# Repeat one: the song starts over at its end.
set_player LoopStatus "<'Track'>"
player LoopStatus | grep -q "'Track'" || fail "LoopStatus reads $(player LoopStatus)"
call Player.SetPosition "objectpath '$track'" 29000000
sleep 3
title_is "Alpha Tune" || fail "Repeat one moved on to $(player Metadata)"
[ "$(position)" -lt 3000000 ] || fail "Repeat one did not start the song over: $(position) µs"
set_player LoopStatus "<'Playlist'>"

# Previous after Next brings the first song back.
call Player.Next
title_is "Beta Tune" || fail "Next: $(player Metadata)"
call Player.Previous
title_is "Alpha Tune" || fail "Previous after Next: $(player Metadata)"

# Keys: Ctrl+Right seeks 5 s on, Ctrl+Down makes it quieter, M mutes and unmutes.
before=$(position)
keys "$main" ctrl+Right
within "$(position)" $((before + 5000000)) 500000 || fail "Ctrl+Right went from $before to $(position) µs"
keys "$main" ctrl+Down
player Volume | grep -qE "<0\.9(5|49)" || fail "Ctrl+Down left Volume at $(player Volume)"
keys "$main" m
expect_silent "muted with M"
keys "$main" m
expect_loud "unmuted with M"

# A playlist row chosen with Return, and one double-clicked, plays at once.
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog"
sleep 0.5
import -window "$dialog" "$shots/controls-playlist.png"
click "$dialog" 60 302
keys "$dialog" Down Down Return
closed "$dialog" || fail "Return on a playlist row left the dialog open"
title_is "Gamma Tune" || fail "Return on the third row plays $(player Metadata)"
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog again"
sleep 0.5
xdotool mousemove --window "$dialog" 60 302 click --repeat 2 --delay 80 1
closed "$dialog" || fail "a double-click on a playlist row left the dialog open"
title_is "Alpha Tune" || fail "a double-click on the first row plays $(player Metadata)"
import -window "$main" "$shots/controls-main.png"

# The window comes back where it was; the volume, repeat mode and shuffle are kept too.
set_player Shuffle "<true>"
xdotool windowmove --sync "$main" 40 50
sleep 0.5
read -r left top < <(xdotool getwindowgeometry "$main" | awk '/Position/ {sub(",", " ", $2); print $2}')
call Quit
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" || fail "Quit ended the program with status $?"
grep -q '^VOLUME=95' "$ini" && grep -q '^SHUFFLE=1' "$ini" || fail "the play settings were not kept: $(cat "$ini")"
start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window at the second start"
sleep 0.5
read -r left2 top2 < <(xdotool getwindowgeometry "$main" | awk '/Position/ {sub(",", " ", $2); print $2}')
[ "$left2,$top2" = "$left,$top" ] || fail "the window came back at $left2,$top2, not $left,$top"
for _ in $(seq 50); do player Shuffle >/dev/null 2>&1 && break; sleep 0.1; done
player Shuffle | grep -q true || fail "Shuffle reads $(player Shuffle) after the restart"
exit_program "$main"

echo "PASS: the controls every listener expects (screenshots in $shots)"
