#!/usr/bin/env bash
# What a screen reader finds (AT-SPI, Qt's accessibility on as a screen reader turns it on):
# every control that takes the focus in the main window, in Setup (every page), in the
# playlist dialog, in the module information and in the pattern view has a name, Tab reaches
# the song's place and the volume, the file panel reads the whole path, the Mixing page's
# choices are labelled by their labels, the high scores read as whole sentences, the pattern
# view tells whether the chosen channel is muted, and the bitmap OK and Cancel are push buttons
# that a screen reader can press.
#
# usage: accessibility.sh <build folder> <e2e_modules program> <folder for screenshots>
set -euo pipefail

source "$(dirname "$0")/lib.sh"
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "no session bus: run under dbus-run-session"
install_program "$build"
"$make_modules" "$work/music" "$prog/highscore.dat"
printf '%s\r\n' "$work/music/Alpha Tune.mod" >"$prog/playlist.dat"
mkdir -p "$XDG_CONFIG_HOME/vorka"
printf '[generaloptions]\nFIRSTTIME=0\n' >"$XDG_CONFIG_HOME/vorka/vorka.ini"
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress >/dev/null
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# Prints "unnamed: <role> in <window>" for every focusable, showing object without a name in the
# program's window called $1, and the names of the objects with role $2 (if given): only those
# that take the focus when $3 is "focusable", with their descriptions when it is "described",
# with the labels that label them when it is "labelled".
walk() {
  /usr/bin/python3 - "$1" "${2:-}" "${3:-}" <<'PY'
import pyatspi, sys
title, role, mode = sys.argv[1], sys.argv[2], sys.argv[3]
def visit(node, window):
    try:
        states = node.getState()
        focusable = states.contains(pyatspi.STATE_FOCUSABLE)
        if focusable and states.contains(pyatspi.STATE_SHOWING) and not node.name:
            print(f'unnamed: {node.getRoleName()} under {node.parent.getRoleName()} {node.parent.name!r} in {window}')
        if role and node.getRoleName() == role and (focusable or mode != 'focusable'):
            extra = ''
            if mode == 'described':
                extra = f': {node.description}'
            if mode == 'labelled':
                labels = [relation.getTarget(i).name for relation in node.getRelationSet()
                          if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                          for i in range(relation.getNTargets())]
                extra = ' labelled ' + ', '.join(labels)
            print(f'{role}: {node.name}{extra}')
        for i in range(node.childCount):
            visit(node.getChildAtIndex(i), window)
    except Exception as error:
        print(f'unreadable: {error}')
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == 'vorka':
        for window in app:
            if window is not None and window.name == title:
                visit(window, title)
PY
}
# Fails with the unnamed controls that `walk` found.
all_named() {
  local found
  found=$(walk "$1" | grep '^unnamed\|^unreadable' || true)
  [ -z "$found" ] || fail "$2: $found"
}

start_program
main=$(window '^VORKA$' NORMAL) || fail "no main window"
sleep 1
all_named VORKA "main window"
# Tab reaches the song's place and the volume.
for control in 'progress bar: Song position' 'slider: Volume'; do
  found=$(walk VORKA "${control%%:*}" focusable)
  grep -qx "$control" <<<"$found" || fail "Tab does not reach the $control"
done
rows=$(walk VORKA "list item")
grep -qE '^list item: 1\. Player 1, 20[,.]?000 points, level 20$' <<<"$rows" ||
  fail "the first high score does not read whole: $(head -2 <<<"$rows")"
grep -qE '^list item: 20\. Player 20, 1[,.]?000 points, level 1$' <<<"$rows" || fail "the last high score: $rows"

xdotool windowfocus --sync "$main"
xdotool key alt+o
sleep 0.3
xdotool key s
setup=$(window '^Setup$' 'DIALOG|UTILITY|NORMAL') || fail "Options > Setup opened nothing"
sleep 0.5
all_named Setup "Setup, first page"
buttons=$(walk Setup "push button")
grep -qx 'push button: OK' <<<"$buttons" || fail "Setup's OK is no push button: $buttons"
xdotool key ctrl+Tab
sleep 0.5
import -window "$setup" "$shots/setup-sound.png"
all_named Setup "Setup, second page"
xdotool key ctrl+Tab
sleep 0.5
all_named Setup "Setup, Mixing page"
# A combo box is named by its value, as Qt names them on Linux; its label labels it.
combos=$(walk Setup "combo box" labelled)
grep -qx 'combo box: Library default labelled Volume ramping:' <<<"$combos" &&
  grep -qx 'combo box: Automatic labelled Amiga resampler:' <<<"$combos" ||
  fail "the Mixing page's choices are not labelled by their labels: $combos"
xdotool key ctrl+Tab
sleep 0.5
all_named Setup "Setup, Game page"
xdotool key Escape
closed "$setup" || fail "Escape did not close Setup"

keys "$main" ctrl+p
dialog=$(window '^Playlist$' UTILITY) || fail "Ctrl+P opened no playlist dialog"
sleep 0.5
all_named Playlist "the playlist dialog"
buttons=$(walk Playlist "push button")
grep -qx 'push button: Cancel' <<<"$buttons" || fail "the playlist's Cancel is no push button: $buttons"
xdotool key Escape
closed "$dialog" || fail "Escape did not close the playlist dialog"

# The module information opens while a song plays.
gdbus call --session --dest org.mpris.MediaPlayer2.vorka --object-path /org/mpris/MediaPlayer2 \
  --method org.mpris.MediaPlayer2.Player.Play >/dev/null
wait_caption "$main" "VORKA - Alpha Tune" || fail "Play did not play the song"
labels=$(walk "VORKA - Alpha Tune" label)
grep -qxF "label: $work/music/Alpha Tune.mod" <<<"$labels" || fail "the file panel does not read the whole path: $labels"
keys "$main" F8
info=$(window '^Module Info$' 'DIALOG|UTILITY|NORMAL') || fail "F8 opened no module information"
sleep 0.5
all_named "Module Info" "the module information"
xdotool key Return
closed "$info" || fail "Return did not confirm the module information"

# The pattern view, whose channels the keyboard mutes.
keys "$main" F7
view=$(window '^Pattern view$' NORMAL) || fail "F7 opened no pattern view"
sleep 0.5
all_named "Pattern view" "the pattern view"
# Space mutes the chosen channel, and a screen reader hears of it.
xdotool key space
sleep 0.3
described=$(walk "Pattern view" filler described)
grep -q '^filler: Pattern: Order .*\. Channel 1 of 4: muted$' <<<"$described" ||
  fail "the pattern view does not tell the channel's state: $described"
xdotool key Escape
closed "$view" || fail "Escape did not close the pattern view"
exit_program "$main"
echo "PASS: accessibility"
