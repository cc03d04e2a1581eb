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

start_program() {
  "$prog/vorka" &
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
