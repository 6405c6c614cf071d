#!/usr/bin/env bash
# Re-renders the reference pictures of the picture regression test (tests/reference) after an
# intended change to what the demo shows. Look at them before committing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
run=(./bench --size 640x384 --frames 0 --capture 3,20,48,60 --capture-dir "$root/tests/reference")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1920x1080x24" "${run[@]}"; fi
