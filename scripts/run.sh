#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo from build/. Arguments go to the demo:
#   bash scripts/run.sh [width height [fullscreen]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
if [ -n "${DISPLAY:-}" ]; then
  exec ./demo "$@"
fi
# No screen: run it on a virtual display for ten seconds and keep a screenshot to look at.
echo "No DISPLAY: running the demo on a virtual X display (Xvfb) for 10 s; screenshot in build/screenshot.png"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  ./demo "$@" & pid=$!
  sleep 10
  # The window alone, not the whole virtual screen around it.
  id="$(xdotool search --pid "$pid" --name "^Demo$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && import -window "$id" screenshot.png || true
  xdotool key Escape 2>/dev/null || true
  sleep 2
  kill "$pid" 2>/dev/null || true
  wait "$pid"' _ "$@"
