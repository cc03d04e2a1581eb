#!/usr/bin/env bash
# A long run of the real program under Xvfb: short songs follow each other every few seconds
# while games are played with random keys, sometimes full screen, and the game window is
# closed and opened again. The program's memory (VmRSS) is sampled every minute and must not
# keep growing; the program must end cleanly through File > Exit (a build with
# LeakSanitizer turns any leak into an error there).
#
# usage: soak.sh <build folder> <e2e_modules program> <folder for results> <minutes>
set -euo pipefail

minutes=$4

source "$(dirname "$0")/lib.sh"
log=$shots/soak-$(basename "$build").log
: >"$log"
install_program "$build"
export SDL_AUDIODRIVER=dummy
"$make_modules" "$work/music" --short
printf '%s\r\n' "$work/music"/* >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nPLAYERNAME=Soak\nFULLSCREEN=0\n' \
  >"$XDG_CONFIG_HOME/vorka/vorka.ini"

rss() { awk '/VmRSS/ {print $2}' "/proc/$pid/status"; }

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
click "$main" 240 254
wait_caption "$main" "VORKA - Alpha Tune" || fail "the music did not start"

keys_to_play=(Left Right Up Down Down space p n f r)
end=$(($(date +%s) + 60 * minutes))
next_sample=$(date +%s)
games=0
samples=()
while [ "$(date +%s)" -lt "$end" ]; do
  keys "$main" F9
  game=$(window '^Vorka Music Player$' 'DIALOG|NORMAL') || fail "F9 opened no game window"
  games=$((games + 1))
  xdotool windowfocus --sync "$game"
  hold Up 0.12
  hold Return 0.12
  stop_game=$(($(date +%s) + 20 + RANDOM % 40))
  while [ "$(date +%s)" -lt "$stop_game" ] && [ "$(date +%s)" -lt "$end" ]; do
    key=${keys_to_play[RANDOM % ${#keys_to_play[@]}]}
    [ $((RANDOM % 60)) -eq 0 ] && key=F4
    xdotool windowfocus "$game" 2>/dev/null || break
    hold "$key" "0.0$((5 + RANDOM % 5))"
    if [ "$(date +%s)" -ge "$next_sample" ]; then
      samples+=("$(rss)")
      echo "minute $((${#samples[@]} - 1)): VmRSS ${samples[-1]} kB, games $games" | tee -a "$log"
      next_sample=$((next_sample + 60))
    fi
  done
  # Half of the games end with Escape, half with File > Exit of the game window.
  xdotool windowfocus --sync "$game" 2>/dev/null || true
  if [ $((games % 2)) -eq 0 ]; then hold Escape 0.2; else keys "$game" ctrl+x; fi
  gone '^Vorka Music Player$' || fail "the game window did not close"
done
samples+=("$(rss)")
echo "end: VmRSS ${samples[-1]} kB after $games games" | tee -a "$log"
exit_program "$main"

# Flat memory: after the first two minutes the samples stay within 10 % (and 8 MB) of the
# highest one of the first half of the run.
python3 - "${samples[@]}" <<'EOF' | tee -a "$log"
import sys
s = [int(v) for v in sys.argv[1:]]
warm = s[2:] if len(s) > 4 else s
half = max(1, len(warm) // 2)
first, last = max(warm[:half]), max(warm[half:] or warm)
ok = last <= max(first * 1.10, first + 8192)
print(f"memory: first half peak {first} kB, second half peak {last} kB: {'flat' if ok else 'GROWING'}")
sys.exit(0 if ok else 1)
EOF
echo "PASS: soak of $minutes minutes, $games games (log in $log)"
