# Shared pieces of the bench scripts that drive the real program under X.

# The id of the first visible window whose name matches `pattern`; waits up to 10 s, then ends
# the script.
window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep . && return 0
    sleep 0.1
  done
  echo "no window '$1'" >&2
  exit 1
}

# Holds key `$1` for 0.3 s: long enough for a game that reads keys at its ticks.
hold() {
  xdotool keydown "$1"
  sleep 0.3
  xdotool keyup "$1"
}

# A temporary $work holding a program folder, a module folder and a home, removed at the end
# with the program $pid stopped; the program's sound goes to SDL's disk driver into /dev/null.
# Copies the built program from the build folder `$1` (set as $build) and writes `$2` as its
# settings.
prepare_program() {
  build=$(cd "$1" && pwd)
  work=$(mktemp -d)
  pid=
  trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
  mkdir -p "$work/prog" "$work/music" "$work/home/.config/vorka"
  cp "$build/vorka" "$build"/*.bmp "$work/prog/"
  printf '%b' "$2" >"$work/home/.config/vorka/vorka.ini"
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
}

# The user and system time of process $pid, in clock ticks.
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }

# The share of one core that process $pid takes over $seconds seconds, in percent.
share() {
  local before after started ended
  before=$(ticks)
  started=$(date +%s%N)
  sleep "$seconds"
  after=$(ticks)
  ended=$(date +%s%N)
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v ns=$((ended - started)) \
    'BEGIN { printf "%.2f", 100 * t / hz / (ns / 1e9) }'
}
