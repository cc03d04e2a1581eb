#!/usr/bin/env bash
# The whole program's share of one core while the game is played, in a window and full
# screen, each over SECONDS seconds (30 by default), with a module playing: the user and system
# time the kernel counts for the process, over the wall time. Run it on a display, e.g.
#
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/game_cpu.sh build [SECONDS]
set -euo pipefail

seconds=${2:-30}
source "$(dirname "$0")/lib.sh"
prepare_program "${1:-build}" '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nFULLSCREEN=0\n'
"$build/e2e/e2e_modules" "$work/music"

"$work/prog/vorka" "$work/music/Alpha Tune.mod" 2>/dev/null &
pid=$!
window '^VORKA - Alpha Tune$' >/dev/null
xdotool key F9
game=$(window '^Vorka Music Player$')
xdotool windowfocus --sync "$game"
sleep 1
hold Return
sleep 2
echo "game played in a window ($(xdotool getwindowgeometry "$game" | awk '/Geometry/ {print $2}')), ${seconds} s: $(share) % of one core"
xdotool key F4
sleep 2
hold Return
sleep 1
echo "game played full screen ($(xdotool getwindowgeometry "$game" | awk '/Geometry/ {print $2}')), ${seconds} s: $(share) % of one core"
