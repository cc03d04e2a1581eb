#!/usr/bin/env bash
# VORKA as a distribution installs it: `cmake --install` into a temporary prefix, whose desktop
# entry and AppStream metainfo pass their validators and whose icons have their sizes; the
# installed program, in a prefix it may not write, finds its data in share/vorka, plays a
# module given on its command line and keeps its playlist in the user's XDG data folder; and
# the Debian package holds the same tree with its manual page, copyright and changelog, depends
# on run-time libraries only, and lintian has nothing to say about it.
#
# usage: install.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
mkdir -p "$work/music"
"$make_modules" "$work/music"
prefix=$work/prefix
id=example.vorka.Vorka

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
# Not a hint from the desktop entry's validator; from AppStream's only its note that the id is
# not a domain of ours, offline and as a distribution runs it, following every address. No
# address names a host that can never resolve.
validation=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) ||
  fail "the desktop entry is not valid: $validation"
[ -z "$validation" ] || fail "desktop-file-validate: $validation"
for net in --no-net ""; do
  appstreamcli validate $net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/appstream.txt" ||
    fail "the metainfo is not valid: $(cat "$work/appstream.txt")"
  grep -E '^[IWE]:' "$work/appstream.txt" | grep -v 'cid-maybe-not-rdns' &&
    fail "appstreamcli $net: $(cat "$work/appstream.txt")"
done
grep -E 'https?://[^/"<]*\.(example|invalid|test|localhost)\b' "$prefix/share/metainfo/$id.metainfo.xml" &&
  fail "the metainfo names an address that never resolves"
[ -f "$prefix/share/man/man1/vorka.1.gz" ] || fail "the manual page is not in share/man/man1"
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ "$(identify -format %wx%h "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size} px icon"
done
[ -f "$prefix/share/vorka/main.bmp" ] && [ -f "$prefix/share/vorka/help/VORKA.htm" ] ||
  fail "the bitmaps and help pages are not in share/vorka"
chmod -R a-w "$prefix"

mkdir -p "$work/home/.config/vorka"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw
unset XDG_DATA_HOME
printf '[generaloptions]\nFIRSTTIME=0\n[tetrisoptions]\nFULLSCREEN=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"
prog=$prefix/bin
start_program "$work/music/Alpha Tune.mod"
main=$(window '^VORKA' NORMAL) || fail "the installed program shows no main window"
wait_caption "$main" "VORKA - Alpha Tune" || fail "caption is '$(xdotool getwindowname "$main")'"
expect_loud "from the installed program"
import -window "$main" "$shots/installed.png"
# The game loads its bitmaps from share/vorka; a missing one would stop it with a box.
keys "$main" F9
window '^Vorka Music Player$' 'DIALOG|NORMAL' >/dev/null || fail "F9 opened no game window"
sleep 1
window '^VORKA( - .*)?$' DIALOG 5 >/dev/null && fail "the installed game reported an error"
for _ in 1 2 3; do
  hold Escape 0.5
  gone '^Vorka Music Player$' && break
done
exit_program "$main"
stored=$HOME/.local/share/vorka
grep -q "Alpha Tune.mod" "$stored/playlist.dat" || fail "the playlist is not kept in $stored"
[ -f "$stored/highscore.dat" ] || fail "the high scores are not kept in $stored"
[ -z "$(find "$prefix" -name playlist.dat -o -name highscore.dat)" ] || fail "files were written into the prefix"

# The Debian package: the installed tree, and dependencies on run-time libraries only.
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.txt" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.txt")"
deb=$(ls "$work"/package/vorka_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6dbus6 libopenmpt0 libsdl2-2.0-0 qt6-qpa-plugins; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
grep -q -- '-dev' <<<"$depends" && fail "the package depends on build tools: $depends"
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/vorka usr/share/vorka/main.bmp usr/share/applications/$id.desktop \
  usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/256x256/apps/$id.png \
  usr/share/man/man1/vorka.1.gz usr/share/doc/vorka/copyright usr/share/doc/vorka/changelog.gz; do
  grep -q "\./$file\$" <<<"$contents" || fail "the package lacks $file"
done
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/vorka" --version | grep -qx 'vorka [0-9.]*' || fail "the packaged program does not start"
man -l "$work/root/usr/share/man/man1/vorka.1.gz" 2>/dev/null | grep -q 'vorka - tracker module player' ||
  fail "the packaged manual page does not read"
# lintian names every error and warning it finds with "E:" or "W:".
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian: $(cat "$work/lintian.txt")"
  grep -E '^[EW]:' "$work/lintian.txt" && fail "lintian: $(cat "$work/lintian.txt")"
fi
echo "PASS: installed tree and package ($(basename "$deb"): $depends)"
