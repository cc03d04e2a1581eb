#!/usr/bin/env bash
# What the sound costs: the program and openmpt123 (the same libopenmpt) play the same module
# against a PulseAudio null sink that this script starts itself, in interleaved rounds of
# SECONDS seconds (20 by default) after a warm-up; for each, the CPU time the kernel counts for
# the player and for the sound server over the wall time. Prints every round, the median ratio
# of (program + server) to (openmpt123 + server), and what the program and the server use while
# the program is stopped and paused. Installs pulseaudio and openmpt123 when missing. Run it on
# a display, e.g.
#
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/sound_cpu.sh build [SECONDS] [ROUNDS]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
rounds=${3:-3}
for tool in pulseaudio:pulseaudio pactl:pulseaudio-utils openmpt123:openmpt123 xdotool:xdotool; do
  command -v "${tool%%:*}" >/dev/null || missing="${missing:-} ${tool##*:}"
done
if [ -n "${missing:-}" ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The sound server: a null sink, reachable on a socket of its own.
export XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/native
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf 'load-module module-null-sink sink_name=null \nload-module module-native-protocol-unix auth-anonymous=1 socket=%s\nset-default-sink null\n' \
  "$work/native" >"$work/pa.conf"
pulseaudio -n -F "$work/pa.conf" --exit-idle-time=-1 --daemonize=no --log-target=file:"$work/pa.log" &
server=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/prog" "$work/music" "$work/home/.config/vorka"
cp "$build/vorka" "$build"/*.bmp "$work/prog/"
"$build/e2e/e2e_modules" "$work/music"
module="$work/music/Alpha Tune.mod"
printf '[generaloptions]\nFIRSTTIME=0\n' >"$work/home/.config/vorka/vorka.ini"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio

# Nanoseconds on a CPU of all threads of the process (the scheduler's own count, finer than
# the clock ticks of /proc/PID/stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {print ns + 0}'; }
# The share of one core that each of the given processes used over `seconds`, in percent.
shares() {
  local before=() after=() started ended p
  for p in "$@"; do before+=("$(cpu_ns "$p")"); done
  started=$(date +%s%N)
  sleep "$seconds"
  ended=$(date +%s%N)
  for p in "$@"; do after+=("$(cpu_ns "$p")"); done
  for i in "${!before[@]}"; do
    awk -v t=$((after[i] - before[i])) -v ns=$((ended - started)) 'BEGIN { printf "%.3f ", 100 * t / ns }'
  done
  echo
}
sink_state() { pactl list short sinks | awk '$2 == "null" {print $NF}'; }

start_vorka() {
  "$work/prog/vorka" "$module" 2>/dev/null &
  pids+=($!)
  vorka=$!
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^VORKA - Alpha Tune$' >/dev/null 2>&1 && break
    sleep 0.1
  done
}

ratios=()
for round in $(seq "$rounds"); do
  openmpt123 --batch --quiet --repeat -1 "$module" >/dev/null 2>&1 &
  pids+=($!)
  sleep 2
  read -r o os < <(shares "$!" "$server")
  kill "$!"; wait "$!" 2>/dev/null || true
  start_vorka
  sleep 2
  read -r v vs < <(shares "$vorka" "$server")
  kill "$vorka"; wait "$vorka" 2>/dev/null || true
  ratio=$(awk -v a="$v" -v b="$vs" -v c="$o" -v d="$os" 'BEGIN { printf "%.2f", (a + b) / (c + d) }')
  ratios+=("$ratio")
  echo "round $round: openmpt123 $o % + server $os %; vorka $v % + server $vs %; ratio $ratio"
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{r[NR] = $1} END { print "median ratio (vorka + server) / (openmpt123 + server): " r[int((NR + 1) / 2)] }'

# At rest: stopped, then paused, with the main window shown.
start_vorka
main=$(xdotool search --onlyvisible --name '^VORKA' | head -1)
xdotool windowfocus --sync "$main" key s
sleep 2
read -r v vs < <(shares "$vorka" "$server")
echo "stopped: vorka $v %, server $vs %, sink $(sink_state)"
xdotool key n
sleep 1
xdotool key u
sleep 2
read -r v vs < <(shares "$vorka" "$server")
echo "paused: vorka $v %, server $vs %, sink $(sink_state)"
