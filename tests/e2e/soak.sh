#!/usr/bin/env bash
# Short soaks: the bench renders the whole camera flight (1500 frames, 1/25 s apart, at a
# small size) through Game::render and fails on a GL error or debug error message in any
# frame, a NaN or infinity in the G-buffer (read back every 10th frame), or resident memory
# whose peak over the last tenth of the run exceeds that of the first tenth by more than 5 %.
set -euo pipefail
build="$1"
cd "$build"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

status=0
timeout 600 ./bench --size 160x96 --start 0 --step 0.04 --warmup 5 --soak 1500 </dev/null >"$log" 2>&1 ||
  status=$?
cat "$log"
[ "$status" -eq 0 ] || { echo "soak: bench ended with status $status"; exit 1; }
grep -q '^soak: ok$' "$log" || { echo "soak: no verdict line"; exit 1; }

# The same over the second half of the flight with the most lights the light path carries, its
# lists and bodies rebuilt every frame.
status=0
timeout 600 ./bench --size 160x96 --start 30 --step 0.04 --warmup 5 --soak 600 --set lights=1000 </dev/null \
  >"$log" 2>&1 || status=$?
cat "$log"
[ "$status" -eq 0 ] || { echo "soak at 1000 lights: bench ended with status $status"; exit 1; }
grep -q '^soak: ok$' "$log" || { echo "soak at 1000 lights: no verdict line"; exit 1; }
