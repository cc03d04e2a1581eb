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
