# Shared pieces of the end-to-end checks: a program folder as a user installs it, a fresh home,
# and xdotool helpers that wait for windows and act on them. Every check takes the build
# folder, the e2e_modules program and the folder for its screenshots as its first arguments.

build=$1
make_modules=$2
shots=$3
mkdir -p "$shots"

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}

# Copies the built program, its bitmaps and its help into $prog, and points HOME, the settings
# and SDL's disk driver into $work.
install_program() {
  local build=$1
  prog=$work/vorka
  mkdir -p "$prog" "$work/home" "$work/music"
  cp "$build/vorka" "$build"/*.bmp "$prog/"
  cp -r "$build/help" "$prog/"
  export HOME=$work/home
  export XDG_CONFIG_HOME=$work/home/.config
  export SDL_AUDIODRIVER=disk
  export SDL_DISKAUDIOFILE=$work/sound.raw
  export QT_QPA_PLATFORM=xcb
}

# The sound of SDL's disk driver: 16-bit stereo at 44100 Hz, one second in `second` bytes.
second=$((44100 * 4))

sound_size() { stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0; }

# Peak of the 16-bit samples between byte offsets from and to of the sound file.
sound_peak() {
  python3 - "$SDL_DISKAUDIOFILE" "$1" "$2" <<'EOF'
import struct, sys
path, start, end = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, 'rb') as f:
    f.seek(start & ~1)
    data = f.read(max(0, end - (start & ~1)) & ~1)
print(max((abs(v) for v in struct.unpack('<%dh' % (len(data) // 2), data)), default=0))
EOF
}

# The peak of the next second of sound, leaving out its first quarter, in which a change made
# just before may still be on its way to the device. The program closes the device when nothing
# is to be heard: a file that stops growing for two seconds is silence. A device opened anew
# starts its file over.
next_second_peak() {
  local start now last=-1 still=0
  start=$(sound_size)
  for _ in $(seq 100); do
    now=$(sound_size)
    [ "$now" -lt "$start" ] && start=0
    if [ "$now" -ge $((start + second)) ]; then
      sound_peak $((start + second / 4)) $((start + second))
      return
    fi
    if [ "$now" -eq "$last" ]; then still=$((still + 1)); else still=0; fi
    last=$now
    if [ "$still" -ge 20 ]; then
      echo 0
      return
    fi
    sleep 0.1
  done
  fail "the sound device neither played nor rested"
}

expect_loud() {
  local peak
  peak=$(next_second_peak)
  [ "$peak" -gt 1000 ] || fail "the sound is silent $1 (peak $peak)"
}

expect_silent() {
  local peak
  peak=$(next_second_peak)
  [ "$peak" -eq 0 ] || fail "there is sound $1 (peak $peak)"
}

# Starts the program with the given arguments.
start_program() {
  "$prog/vorka" "$@" &
  pid=$!
}

# Waits for a visible window whose title matches the pattern and whose first
# _NET_WM_WINDOW_TYPE is one of the given (NORMAL, DIALOG, UTILITY for tool windows, as an
# alternation); prints its id.
window() {
  local pattern=$1 type=$2 tries=${3:-100}
  for _ in $(seq "$tries"); do
    for w in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
      if xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -qE "= _NET_WM_WINDOW_TYPE_($type)"; then
        echo "$w"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Waits until the window with the given id is no longer shown.
closed() {
  for _ in $(seq 50); do
    xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
    sleep 0.1
  done
  return 1
}

gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

keys() {
  local w=$1
  shift
  xdotool windowfocus --sync "$w"
  xdotool key --delay 50 "$@"
}

# Holds a key for a while, as a finger does: the game reads keys held at its 50 ms ticks, so a
# press must last a few ticks (longer on a busy machine, where key events come late).
hold() {
  xdotool keydown "$1"
  sleep "${2:-0.3}"
  xdotool keyup "$1"
  sleep 0.1
}

# Clicks at x, y inside window w.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

wait_caption() {
  for _ in $(seq 50); do
    [ "$(xdotool getwindowname "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# Ends the program with File > Exit and checks that it ended without an error.
exit_program() {
  keys "$1" alt+f x
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
  wait "$pid" || fail "the program ended with an error"
  pid=
}
