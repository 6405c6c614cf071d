#!/usr/bin/env bash
# Re-renders the looping clip at the top of the README (docs/flight.webp): the glide in through
# the window, rendered by the bench on its fixed step and encoded as an animated WebP. Look at it
# before committing; it should stay well under 4 MB.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
run=(./bench --size 480x288 --start 4 --frames 120 --fps 20 --video "$root/docs/flight.webp")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1920x1080x24" "${run[@]}"; fi
