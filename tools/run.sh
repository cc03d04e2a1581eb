#!/usr/bin/env bash
# Starts the built program. On a machine with no sound output at all (no sound card, no
# PulseAudio or PipeWire server), SDL could open no device and VORKA would end with its
# "MIDAS Error"; there the sound goes to a file through SDL's disk driver instead.
set -euo pipefail
build=${1:-build}
runtime=${XDG_RUNTIME_DIR:-/run/user/$(id -u)}

has_sound() {
  [ -n "${SDL_AUDIODRIVER:-}" ] || [ -n "${PULSE_SERVER:-}" ] ||
    [ -S "$runtime/pulse/native" ] || [ -S "$runtime/pipewire-0" ] ||
    ls /dev/snd/pcm* >/dev/null 2>&1
}

if ! has_sound; then
  export SDL_AUDIODRIVER=disk
  export SDL_DISKAUDIOFILE=$build/vorka-sound.raw
  echo "No sound device found: the sound goes to $SDL_DISKAUDIOFILE (raw 16-bit stereo, 44100 Hz)."
fi
exec "$build/vorka"
