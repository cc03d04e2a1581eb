#!/usr/bin/env bash
# The pattern view's cost: the whole program's share of one core while a 32-channel module
# plays, over SECONDS seconds (30 by default) each, with the pattern view open in a 1280 x 800
# window and with it closed. Run it on a display large enough, e.g.
#
#   xvfb-run -a -s "-screen 0 1600x1000x24" bench/pattern_cpu.sh build [SECONDS]
set -euo pipefail

seconds=${2:-30}
source "$(dirname "$0")/lib.sh"
prepare_program "${1:-build}" '[generaloptions]\nFIRSTTIME=0\n'
"$build/e2e/e2e_modules" "$work/music" --wide

"$work/prog/vorka" "$work/music/Wide Tune.it" 2>/dev/null &
pid=$!
main=$(window '^VORKA - Wide Tune$')
xdotool windowfocus --sync "$main" key F7
view=$(window '^Pattern view$')
xdotool windowsize --sync "$view" 1280 800
sleep 2
open=$(share)
echo "pattern view open ($(xdotool getwindowgeometry "$view" | awk '/Geometry/ {print $2}')), ${seconds} s: ${open} % of one core"
xdotool windowfocus --sync "$view" key Escape
sleep 2
closed=$(share)
echo "pattern view closed, ${seconds} s: ${closed} % of one core"
awk -v a="$open" -v b="$closed" 'BEGIN { printf "the view costs %.2f %% of one core\n", a - b }'
