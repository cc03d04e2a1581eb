#!/usr/bin/env bash
# How soon Left and Right reach the screen in the game, how many short taps it takes in, and how
# held keys repeat: starts the program with no music, opens the game (F9), starts a game at
# level 1 and runs bench_input_latency against the game window (HOLD, in ms, is how long its
# key-to-screen presses are held; by default until the brick moves); twice, with the classic
# handling and with a fast one (150 ms to the first repeat, then every 33 ms, soft drop every
# 20 ms). Run it on a display, e.g.
#
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/input_latency.sh build [HOLD]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work" || true
}
trap cleanup EXIT

mkdir -p "$work/prog" "$work/home/.config/vorka"
cp "$build/vorka" "$build"/*.bmp "$work/prog/"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

source "$(dirname "$0")/lib.sh"

# run <title> <key=value lines of [tetrisoptions]>
run() {
  printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nPLAYERNAME=Bench\nFULLSCREEN=0\n%s\n' "$2" \
    >"$work/home/.config/vorka/vorka.ini"
  echo "== $1"
  "$work/prog/vorka" 2>/dev/null &
  pid=$!
  main=$(window '^VORKA$')
  xdotool windowfocus --sync "$main"
  xdotool key F9
  game=$(window '^Vorka Music Player$')
  xdotool windowfocus --sync "$game"
  sleep 1
  # The menu opens with its bar on the start level: Up takes it to PLAY GAME, and Enter plays.
  hold Up
  sleep 0.1
  hold Return
  timeout 120 "$build/bench/bench_input_latency" "$game" "${@:3}"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

run "classic handling (every key every 100 ms)" "" "${@:2}"
run "fast handling (150 ms, then every 33 ms; soft drop every 20 ms)" \
  "$(printf 'KEYDELAY=150\nKEYREPEAT=33\nSOFTDROP=20')" "${@:2}"
