#!/usr/bin/env bash
# The game as a player tunes it, under Xvfb, with "Beat Tune" playing: on Setup's Game page the
# player types a 100 ms repeat delay, a 33 ms repeat and a 20 ms soft drop and switches on the
# next brick, the landing place and the music following the game; OK stores them. In the game
# the next brick shows in its window, the landing place is outlined under the falling brick in
# its colour, and a held Right crosses the field at the new pace: 0.3 s moves the brick five
# cells or more (the classic rhythm, one move every 100 ms, makes three or four). A game started
# at level 10 then plays the beat 18 % faster, from within a beat, without a gap in the sound
# (recorded through SDL's disk driver).
#
# usage: game_options.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
find_frames="$(dirname "$0")/find_frames.py"
install_program "$build"
mkdir -p "$XDG_CONFIG_HOME/vorka"
ini=$XDG_CONFIG_HOME/vorka/vorka.ini
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nPLAYERNAME=Tuner\nFULLSCREEN=0\n' >"$ini"
"$make_modules" "$work/music" --beat

start_program "$work/music/Beat Tune.mod"
main=$(window '^VORKA( - .*)?$' NORMAL) || fail "no main window"
xdotool windowfocus --sync "$main"
xdotool key alt+o
sleep 0.3
xdotool key s
setup=$(window '^Setup$' 'DIALOG|UTILITY|NORMAL') || fail "Options > Setup opened nothing"
xdotool windowfocus --sync "$setup"
xdotool key --delay 100 ctrl+Tab ctrl+Tab ctrl+Tab
sleep 0.3
type_time() {
  xdotool key --delay 50 "$1" ctrl+a
  xdotool type --delay 50 "$2"
}
type_time alt+r 100
type_time alt+t 33
type_time alt+s 20
xdotool key --delay 100 alt+n alt+l alt+m
sleep 0.3
import -window "$setup" "$shots/setup-game.png"
xdotool key Return
closed "$setup" || fail "Return did not close Setup"
for expected in KEYDELAY=100 KEYREPEAT=33 SOFTDROP=20 SHOWNEXT=1 SHOWGHOST=1 MUSICFOLLOWS=1; do
  grep -qx "$expected" "$ini" || fail "OK did not store $expected: $(grep -A9 tetrisoptions "$ini")"
done

keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
xdotool windowfocus --sync "$game"
sleep 1
hold Up
hold Return 0.1

height=$(xdotool getwindowgeometry "$game" | awk '/Geometry/ {sub(".*x", "", $2); print $2}')
menu=$((height - 480))
shot=$work/game.png
snap() { import -window "$game" "$shot"; }
# "frame x y" of each frame of bitmap $1 ($2 x $3 pixels) on the shot within the given box.
frames() { python3 "$find_frames" "$shot" "$prog/$1" "$2" "$3" "$4" "$((menu + $5))" "$6" "$((menu + $7))" "$8"; }
# The cubes of the falling brick: "frame column row" of each cube among the top 12 rows.
brick_cubes() {
  for colour in lightblue red gray green blue lilac yellow; do
    frames "cube_$colour.bmp" 20 20 85 25 265 245 20 | awk -v c="$colour" -v m="$menu" \
      '{print c, ($2 - 5) / 20, ($3 - m - 5) / 20}'
  done
}

snap
cp "$shot" "$shots/game-options.png"
next=$(frames cube_small.bmp 12 12 530 110 566 146 1)
[ "$(wc -l <<<"$next")" = 4 ] && [ "$(cut -d' ' -f1 <<<"$next" | sort -u | wc -l)" = 1 ] ||
  fail "the next brick does not show as four cubes of one colour: $next"
cubes=$(brick_cubes)
ghost=$(frames cube_ghost.bmp 20 20 85 25 265 425 20)
[ "$(wc -l <<<"$cubes")" = 4 ] || fail "no falling brick of four cubes: $cubes"
[ "$(wc -l <<<"$ghost")" = 4 ] || fail "the landing place is not outlined in four cells: $ghost"
colours=(lightblue red gray green blue lilac yellow)
[ "${colours[$(cut -d' ' -f1 <<<"$ghost" | sort -u)]}" = "$(cut -d' ' -f1 <<<"$cubes" | sort -u)" ] ||
  fail "the outline is not in the brick's colour: $ghost / $cubes"
[ "$(awk '{print ($2 - 5) / 20}' <<<"$ghost" | sort -u)" = "$(awk '{print $2}' <<<"$cubes" | sort -u)" ] ||
  fail "the outline is not under the brick: $ghost / $cubes"

# The pace: to the left wall, then 0.3 s of Right.
hold Left 1
snap
before=$(brick_cubes | awk '{print $2}' | sort -n | head -1)
[ "$before" = 4 ] || fail "a second of Left did not bring the brick to the wall: column $before"
hold Right 0.3
snap
cp "$shot" "$shots/game-options-right.png"
after=$(brick_cubes | awk '{print $2}' | sort -n | head -1)
[ -n "$after" ] && [ $((after - before)) -ge 5 ] ||
  fail "0.3 s of Right moved the brick $((${after:-0} - before)) cells"
echo "0.3 s of Right: $((after - before)) cells"

keys "$game" Escape
gone '^Vorka Music Player$' || fail "Escape did not close the game window"

# The beat as written in the menu, then a game at level 10: 2 % a level faster.
keys "$main" F9
game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
xdotool windowfocus --sync "$game"
sleep 0.5
hold Right 1.5
hold Up
sleep 3
change=$(sound_size)
hold Return 0.1
sleep 3.5
python3 - "$SDL_DISKAUDIOFILE" "$change" "$(sound_size)" <<'EOF' || fail "the music did not follow the game"
import struct, sys
path, change, end = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
second = 44100 * 4
start = max(0, change - 3 * second) & ~3
data = open(path, 'rb').read()[start:end & ~3]
left = struct.unpack('<%dh' % (len(data) // 2), data)[0::2]
window = 220  # 5 ms
levels = [max(abs(v) for v in left[i:i + window]) for i in range(0, len(left) - window, window)]
change_at = (change - start) // 4 // window
onsets = [i for i in range(1, len(levels)) if levels[i] > 6000 and levels[i - 1] < 4000]
def beat(first, last):
    times = [i for i in onsets if first <= i < last]
    gaps = sorted(b - a for a, b in zip(times, times[1:]))
    return gaps[len(gaps) // 2] * window / 44100 if gaps else 0
before, after = beat(0, change_at), beat(change_at + 40, len(levels))
print('beat %.3f s in the menu, %.3f s in the game at level 10' % (before, after))
holes = [i for i in range(change_at - 200, len(levels)) if levels[i] < 200]
if holes:
    sys.exit('silent 5 ms at %.3f s after the change' % ((holes[0] - change_at) * window / 44100))
if not (before > 0 and after > 0 and abs(before / after - 1.18) < 0.04):
    sys.exit('the beat went from %.3f s to %.3f s' % (before, after))
EOF
keys "$game" Escape
gone '^Vorka Music Player$' || fail "Escape did not close the game window"
exit_program "$main"

grep -qx 'KEYREPEAT=33' "$ini" || fail "the handling was not kept at the end"
echo "PASS: game options (screenshots in $shots)"
