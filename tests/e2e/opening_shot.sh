#!/usr/bin/env bash
# The first seconds of the flight, seen from outside and through the window, must read as a
# building at night: at 3 s and 9 s (640 x 384) a grey mean of at least 30 and a spread of at
# least 12 (of 255), a sky that darkens upwards instead of a flat fill, and no frame of the first
# nine seconds blown out (at most 1 % of the pixels near white).
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
source "$(dirname "$0")/common.bash"

timeout 600 ./bench --size 640x384 --frames 0 --capture 1,2,3,4,5,6,7,8,9 --capture-dir "$out" </dev/null >/dev/null
grey() { convert "$1" -colorspace Gray -format '%[fx:mean*255] %[fx:standard_deviation*255]' info:; }

for t in 3 9; do
  read -r mean spread <<<"$(grey "$out/final-t$t.png")"
  awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m >= 30 && s >= 12) }' ||
    fail "t = $t s: grey mean $mean, spread $spread (want at least 30 and 12)"
done

# At 3 s the top fifth of the picture is sky: its top rows are darker than its bottom rows.
top="$(convert "$out/final-t3.png" -crop 640x20+0+0 -colorspace Gray -format '%[fx:mean*255]' info:)"
low="$(convert "$out/final-t3.png" -crop 640x20+0+60 -colorspace Gray -format '%[fx:mean*255]' info:)"
awk -v a="$top" -v b="$low" 'BEGIN { exit !(b - a >= 4) }' ||
  fail "t = 3 s: the sky is flat (top rows $top, lower rows $low)"

for t in 1 2 3 4 5 6 7 8 9; do
  white="$(convert "$out/final-t$t.png" -colorspace Gray -threshold 94% -format '%[fx:mean*100]' info:)"
  awk -v w="$white" 'BEGIN { exit !(w <= 1) }' || fail "t = $t s: $white % of the picture is blown out"
done

[ "$failures" -eq 0 ] && echo "opening shot: ok"
exit "$failures"
