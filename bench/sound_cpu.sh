#!/usr/bin/env bash
# What the sound costs, and how soon a command is heard, against a PulseAudio null sink that
# this script starts itself (afresh for every measurement, so that none inherits another's
# state):
#  - playing: the program and openmpt123 (the same libopenmpt, at its default buffer) play the
#    same module in interleaved rounds of SECONDS seconds (20 by default) after a warm-up; for
#    each, the CPU time of the player's and the server's threads over the wall time, and the
#    median ratio of (program + server) to (openmpt123 + server);
#  - at rest: the program stopped, then paused, for 30 s each: its CPU, the server's (in clock
#    ticks, so that threads that end count too), and the sink's state (SUSPENDED when the server could rest);
#  - latency: from the MPRIS call to the sink's monitor falling silent (Stop, Pause) or sounding
#    (Play after a rest, PlayPause), read with parec.
# Installs pulseaudio and openmpt123 when missing. Run it on a display with a session bus:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bench/sound_cpu.sh build [SECONDS] [ROUNDS]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
rounds=${3:-3}
missing=
for tool in pulseaudio:pulseaudio pactl:pulseaudio-utils parec:pulseaudio-utils openmpt123:openmpt123 \
  xdotool:xdotool gdbus:libglib2.0-bin; do
  command -v "${tool%%:*}" >/dev/null || missing="$missing ${tool##*:}"
done
if [ -n "$missing" ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "run under dbus-run-session" >&2; exit 2; }

work=$(mktemp -d)
player=
server=
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/run PULSE_SERVER=unix:$work/native
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '%s\n' 'load-module module-null-sink sink_name=null' 'load-module module-suspend-on-idle timeout=1' \
  "load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native" 'set-default-sink null' \
  >"$work/pa.conf"
start_server() {
  pulseaudio -n -F "$work/pa.conf" --exit-idle-time=-1 --daemonize=no --log-target=file:"$work/pa.log" &
  server=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "the sound server did not start" >&2
  exit 1
}
stop_server() {
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=
}

mkdir -p "$work/prog" "$work/music" "$work/home/.config/vorka"
cp "$build/vorka" "$build"/*.bmp "$work/prog/"
"$build/e2e/e2e_modules" "$work/music"
module="$work/music/Alpha Tune.mod"
# openmpt123 has no Amiga resampler: both resample a MOD the same way.
printf '[generaloptions]\nFIRSTTIME=0\n[soundoptions]\nAMIGARESAMPLER=3\n' >"$work/home/.config/vorka/vorka.ini"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio

# Nanoseconds on a CPU of all threads of the process (the scheduler's own count).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {print ns + 0}'; }
# The share of one core that each of the given processes used over `span` seconds, in percent.
shares() {
  local span=$1 before=() after=() started ended p
  shift
  for p in "$@"; do before+=("$(cpu_ns "$p")"); done
  started=$(date +%s%N)
  sleep "$span"
  ended=$(date +%s%N)
  for p in "$@"; do after+=("$(cpu_ns "$p")"); done
  for i in "${!before[@]}"; do
    awk -v t=$((after[i] - before[i])) -v ns=$((ended - started)) 'BEGIN { printf "%.3f ", 100 * t / ns }'
  done
  echo
}
# The same over `span` seconds from the kernel's count in clock ticks (coarser, but it keeps the
# time of threads that ended meanwhile, as the player's threads do when it rests).
tick_shares() {
  local span=$1 before=() after=() p hz
  shift
  hz=$(getconf CLK_TCK)
  for p in "$@"; do before+=("$(awk '{print $14 + $15}' /proc/"$p"/stat)"); done
  sleep "$span"
  for p in "$@"; do after+=("$(awk '{print $14 + $15}' /proc/"$p"/stat)"); done
  for i in "${!before[@]}"; do
    awk -v t=$((after[i] - before[i])) -v hz="$hz" -v s="$span" 'BEGIN { printf "%.3f ", 100 * t / hz / s }'
  done
  echo
}
sink_state() { pactl list short sinks | awk '$2 == "null" {print $NF}'; }
start_vorka() {
  "$work/prog/vorka" "$module" 2>/dev/null &
  player=$!
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^VORKA - Alpha Tune$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
}
stop_player() {
  kill "$player"
  wait "$player" 2>/dev/null || true
  player=
}

echo "playing, $seconds s a round:"
ratios=()
for round in $(seq "$rounds"); do
  start_server
  openmpt123 --batch --quiet --repeat -1 "$module" >/dev/null 2>&1 &
  player=$!
  sleep 2
  read -r o os < <(shares "$seconds" "$player" "$server")
  stop_player
  stop_server
  start_server
  start_vorka
  sleep 2
  read -r v vs < <(shares "$seconds" "$player" "$server")
  stop_player
  stop_server
  ratio=$(awk -v a="$v" -v b="$vs" -v c="$o" -v d="$os" 'BEGIN { printf "%.2f", (a + b) / (c + d) }')
  ratios+=("$ratio")
  echo "  round $round: openmpt123 $o % + server $os %; vorka $v % + server $vs %; ratio $ratio"
done
printf '%s\n' "${ratios[@]}" | sort -n |
  awk '{r[NR] = $1} END { print "  median ratio (vorka + server) / (openmpt123 + server): " r[int((NR + 1) / 2)] }'

echo "at rest, 30 s each, with the main window shown:"
start_server
start_vorka
mpris=(--session --dest org.mpris.MediaPlayer2.vorka --object-path /org/mpris/MediaPlayer2)
call() { gdbus call "${mpris[@]}" --method "org.mpris.MediaPlayer2.Player.$1" >/dev/null; }
call Stop
sleep 3
read -r v vs < <(tick_shares 30 "$player" "$server")
echo "  stopped: vorka $v %, server $vs %, sink $(sink_state)"
call Play
sleep 2
call Pause
sleep 3
read -r v vs < <(tick_shares 30 "$player" "$server")
echo "  paused: vorka $v %, server $vs %, sink $(sink_state)"
call Play

echo "latency from the MPRIS call to what the sink plays:"
python3 - "$@" <<'PY'
import subprocess, time, statistics

rate = 44100
rec = subprocess.Popen(['parec', '--device=null.monitor', '--format=s16le', f'--rate={rate}', '--channels=2',
                        '--latency-msec=2', '--raw'], stdout=subprocess.PIPE, bufsize=0)
mpris = ['gdbus', 'call', '--session', '--dest', 'org.mpris.MediaPlayer2.vorka',
         '--object-path', '/org/mpris/MediaPlayer2', '--method']

def loud_now(timeout):
    """Reads 5 ms blocks until one is loud or silent; returns (loud, time read), or None."""
    data = rec.stdout.read(4 * rate // 200)
    samples = memoryview(data).cast('h') if len(data) % 2 == 0 else []
    return max((abs(s) for s in samples), default=0) > 64, time.monotonic()

def wait_for(loud, limit=3.0):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        state, at = loud_now(limit)
        if state == loud:
            return at
    return None

def measure(method, to_loud):
    wait_for(not to_loud, 5.0)
    time.sleep(0.5)
    called = time.monotonic()
    subprocess.run(mpris + ['org.mpris.MediaPlayer2.Player.' + method], stdout=subprocess.DEVNULL)
    heard = wait_for(to_loud)
    return None if heard is None else 1000 * (heard - called)

results = {'Stop': [], 'Play after a rest': [], 'Pause': [], 'PlayPause': []}
for _ in range(5):
    results['Stop'].append(measure('Stop', False))
    time.sleep(1.5)
    results['Play after a rest'].append(measure('Play', True))
    time.sleep(0.5)
    results['Pause'].append(measure('Pause', False))
    results['PlayPause'].append(measure('PlayPause', True))
rec.kill()
for name, values in results.items():
    heard = [v for v in values if v is not None]
    print(f'  {name}: median {statistics.median(heard):.0f} ms, at most {max(heard):.0f} ms '
          f'({len(heard)} of {len(values)} heard)' if heard else f'  {name}: never heard')
PY
