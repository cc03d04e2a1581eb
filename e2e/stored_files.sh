#!/usr/bin/env bash
# The stored files survive damage and the program's end by a signal, under Xvfb: a settings
# file with a byte-order mark and a Latin-1 player name, a playlist with LF and CR line ends and
# an entry whose file is gone, a high-score file that is a link to a file with a broken last
# record, and temporary files left by a writer that was killed. SIGTERM while a song plays,
# SIGINT with the playlist dialog open and SIGHUP in the game window each end the program within
# 2 s with status 0, and every file is either unchanged or correctly rewritten. Without a session
# bus the program says that a second one could overwrite its playlist.
#
# usage: stored_files.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
install_program "$build"
"$make_modules" "$work/music"
ini=$XDG_CONFIG_HOME/vorka/vorka.ini
scores=$work/scores/best.dat
mkdir -p "$XDG_CONFIG_HOME/vorka" "$work/scores"

printf '\xef\xbb\xbf[tetrisoptions]\r\nPLAYERNAME=J\xf6rg\r\nFULLSCREEN=0\r\n[generaloptions]\r\nFIRSTTIME=0\r\n' >"$ini"
printf '%s\n' "$work/music/Alpha Tune.mod" "$work/music/Beta Tune.s3m" >"$prog/playlist.dat"
printf '%s\r' "$work/music/gone.mod" "$work/music/Gamma Tune.xm" >>"$prog/playlist.dat"

# Three results and 40 bytes of a fourth that was never finished.
python3 - "$scores" <<'EOF'
import struct, sys
with open(sys.argv[1], 'wb') as f:
    for name, score, level in ((b'Ann', 900, 3), (b'Bob', 500, 2), (b'Cy', 100, 1)):
        f.write(bytes([len(name)]) + name.ljust(80, b'\0') + struct.pack('<ii', score, level))
    f.write(b'\x07' * 40)
EOF
chmod 640 "$scores"
ln -s ../scores/best.dat "$prog/highscore.dat"

# Temporary files of a writer that no longer runs go; one of a running writer stays.
dead=$(sh -c 'echo $$')
touch "$XDG_CONFIG_HOME/vorka/.vorka.ini.tmp$dead-0" "$prog/.playlist.dat.tmp$dead-3" \
  "$work/scores/.best.dat.tmp$dead-1" "$prog/.playlist.dat.tmp$$-0"

# What the files must hold after each end: the settings start as they did, the playlist holds
# all four entries in CR LF lines, the high scores the three whole records.
mkdir "$work/expected"
printf '\xef\xbb\xbf[tetrisoptions]\r\nPLAYERNAME=J\xf6rg\r\nFULLSCREEN=0\r\n' >"$work/expected/ini-start"
printf '%s\r\n' "$work/music/Alpha Tune.mod" "$work/music/Beta Tune.s3m" "$work/music/gone.mod" \
  "$work/music/Gamma Tune.xm" >"$work/expected/playlist"
head -c $((3 * 89)) "$scores" >"$work/expected/scores"

# Sends the signal and checks that the program ended within 2 s with status 0.
end_with() {
  local started status
  started=$(date +%s%N)
  kill -"$1" "$pid"
  for _ in $(seq 40); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$pid" 2>/dev/null && fail "SIG$1 did not end the program within 2 s"
  status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "SIG$1 ended the program with status $status"
  echo "SIG$1 ended the program in $((($(date +%s%N) - started) / 1000000)) ms"
}

check_files() {
  cmp -s -n "$(stat -c %s "$work/expected/ini-start")" "$work/expected/ini-start" "$ini" ||
    fail "$1: vorka.ini lost its byte-order mark or its player name: $(head -c 60 "$ini" | od -c)"
  [ "$(grep -c 'tetrisoptions' "$ini")" -eq 1 ] || fail "$1: vorka.ini has a second [tetrisoptions]"
  grep -q '^FIRSTTIME=0' "$ini" || fail "$1: vorka.ini was not written"
  cmp -s "$work/expected/playlist" "$prog/playlist.dat" ||
    fail "$1: playlist.dat is not the four entries in CR LF lines: $(od -c <"$prog/playlist.dat")"
  [ -L "$prog/highscore.dat" ] || fail "$1: highscore.dat is no longer a link"
  cmp -s "$work/expected/scores" "$scores" || fail "$1: the high scores are not the three whole records"
  [ "$(stat -c %a "$scores")" = 640 ] || fail "$1: the high-score file lost its mode"
  [ -z "$(find "$work" -name "*.tmp$dead-*")" ] || fail "$1: stale temporary files are left: $(find "$work" -name "*.tmp$dead-*")"
  [ -e "$prog/.playlist.dat.tmp$$-0" ] || fail "$1: a running writer's temporary file was removed"
}

# SIGTERM while a song plays, with no session bus: the program warns that a second one could
# overwrite its playlist.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
start_program 2>"$work/stderr"
main=$(window '^VORKA$' NORMAL) || fail "no main window"
grep -q "no session bus, so a second VORKA cannot find this one and may overwrite its playlist" "$work/stderr" ||
  fail "no word about the missing session bus: $(cat "$work/stderr")"
click "$main" 240 254
wait_caption "$main" "VORKA - Alpha Tune" || fail "Play did not start the song"
end_with TERM
check_files "SIGTERM while playing"

# SIGINT with the playlist dialog open: the missing entry is there, greyed.
start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog"
sleep 0.5
import -window "$dialog" "$shots/playlist-missing-entry.png"
end_with INT
check_files "SIGINT in the playlist dialog"

# SIGHUP in the game window.
start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
keys "$main" F9
window '^Vorka Music Player$' 'DIALOG|NORMAL' >/dev/null || fail "F9 opened no game window"
sleep 0.5
end_with HUP
check_files "SIGHUP in the game window"

echo "PASS: stored files (screenshots in $shots)"
