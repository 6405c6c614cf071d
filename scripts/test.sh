#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test once: a failure counts the first time.
# Starts its own virtual X display (Xvfb with Mesa's llvmpipe) when there is none, so it works on
# a machine without a screen.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
status=0
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure "$@" || status=$?
else
  # -noreset: the server would otherwise reset whenever its last client leaves, and a demo
  # started by the next end-to-end case at that moment fails glfwInit.
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure "$@" || status=$?
fi
# A case that cannot run here (the full-disk screenshots need root for their mount) prints
# "skipped: ..." and its test passes; ctest shows a passing test's output only in its log, so
# the skips are repeated here, each with its test's name.
log=Testing/Temporary/LastTest.log
if [ -f "$log" ]; then
  awk '/^[0-9]+\/[0-9]+ Testing: / { test = $3 } /^skipped: / { print "NOTE: " test ": " $0 }' "$log"
fi
exit "$status"
