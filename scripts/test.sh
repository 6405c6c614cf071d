#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Starts its own virtual X display
# (Xvfb with Mesa's llvmpipe) when there is none, so it works on a machine without a screen.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
if [ -n "${DISPLAY:-}" ]; then
  exec ctest --output-on-failure "$@"
fi
# -noreset: the server would otherwise reset whenever its last client leaves, and a demo started
# by the next end-to-end case at that moment fails glfwInit.
exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure "$@"
