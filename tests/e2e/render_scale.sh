#!/usr/bin/env bash
# The render scale on the real binaries. The demo's settings panel (F2), driven with the pointer
# on a paused scene: the render-scale slider at its left end draws the same picture at a quarter
# of the pixels, stretched over the whole window (F12 still saves the window's size); back at 1
# the picture is the first one to the bit; then a target of 240 fps takes the scale down until
# the frames meet it or the scale is at its floor. The bench says which of the two this machine
# does (on a slow one the floor, and the demo's picture must then be the quarter-scale one); on
# a machine that meets the target the scale stops above the floor with the frames near the
# budget. (At the defaults the captures are the picture regression's.) Needs an X display
# (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
source "$(dirname "$0")/common.bash"
out="$(mktemp -d)"
ln -s "$source_dir/Quarnvale" "$out/Quarnvale"
mkdir "$out/run"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; stop_window_manager; rm -rf "$out"' EXIT

cd "$build"
# Where a 240 fps target takes the scale at the demo's window size: "SCALE FPS" after the warm-up.
timeout 600 ./bench --size 960x540 --start 20 --warmup 60 --frames 20 --whole-frames --set target-fps=240 \
  </dev/null >"$out/bench.txt" 2>&1 || fail "the bench failed with a target of 240 fps [$(cat "$out/bench.txt")]"
read -r target_scale target_fps <<<"$(sed -nE 's/^render scale: ([0-9.]+) .*/\1/p; s/^frame .*\(([0-9.]+) fps\)$/\1/p' \
  "$out/bench.txt" | tac | tr '\n' ' ')"
at_floor=false
if awk -v s="${target_scale:-x}" 'BEGIN { exit !(s == 0.25) }'; then
  at_floor=true
elif ! awk -v s="${target_scale:-x}" -v f="${target_fps:-0}" 'BEGIN { exit !(s > 0.25 && s <= 1 && f >= 200) }'; then
  fail "a 240 fps target left the scale at ${target_scale:-?} with ${target_fps:-?} fps, neither at the floor nor near the target"
fi

start_window_manager
cd "$out/run"
"$build/demo" 960 540 </dev/null >"$out/stdout" 2>&1 &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
sleep 1
timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null
sleep 1
# A still picture: the scene paused, the free camera at rest.
xdotool key --window "$id" p j
xdotool mousemove --window "$id" 480 270
sleep 1.5
xdotool key --window "$id" F2
sleep 1
click() {
  xdotool mousemove --window "$id" "$1" "$2"
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  xdotool mouseup 1
  sleep 0.3
  xdotool mousemove --window "$id" 700 300
  sleep "${3:-1}"
}
shots=0
screenshot() {
  shots=$((shots + 1))
  xdotool key --window "$id" F12
  local i
  for i in $(seq 50); do
    [ "$(grep -c '^Screenshot saved: ' "$out/stdout")" -ge "$shots" ] && break
    sleep 0.2
  done
  cp "$(printf 'screenshot-%04d.png' "$shots")" "$out/$1.png" 2>/dev/null || fail "F12 saved no picture ($1)"
}
# The panel's "Render scale" section (closed at first), its slider and the target-fps slider, where
# the library's default font puts them at this window size.
click 60 437
screenshot full
click 20 460
screenshot quarter
click 166 460
screenshot back
click 166 500 4
screenshot held

[ "$(identify -format '%w x %h' "$out/quarter.png")" = "960 x 540" ] || fail "F12 at a quarter scale did not save the window's size"
# The same picture at fewer pixels: alike seen from afar (means of 16 x 16 blocks), not alike at full size.
convert "$out/full.png" -scale 60x34! "$out/full-far.png"
convert "$out/quarter.png" -scale 60x34! "$out/quarter-far.png"
far="$(compare -metric RMSE "$out/full-far.png" "$out/quarter-far.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')"
near="$(compare -metric AE -fuzz 3% "$out/full.png" "$out/quarter.png" null: 2>&1)"
awk -v d="$far" 'BEGIN { exit !(d < 0.05) }' || fail "at a quarter scale the picture is another one (RMSE of block means $far)"
[ "${near%% *}" -gt 5000 ] 2>/dev/null || fail "the render-scale slider left the picture as it was ($near pixels differ)"
read -r left right top bottom middle <<<"$(edge_shares "$out/quarter.png")"
for share in "$left" "$right" "$top" "$bottom" "$middle"; do
  awk -v s="$share" 'BEGIN { exit !(s > 0.5) }' || fail "the quarter-scale picture leaves part of the window black ($left $right $top $bottom $middle)"
done
if $at_floor; then
  [ "$(compare -metric AE "$out/quarter.png" "$out/held.png" null: 2>&1)" = 0 ] ||
    fail "a 240 fps target, met by no scale here, did not hold the scale at its floor"
else
  echo "this machine meets 240 fps at scale $target_scale ($target_fps fps): the floor is not where the target holds"
fi
[ "$(compare -metric AE "$out/full.png" "$out/back.png" null: 2>&1)" = 0 ] ||
  fail "back at scale 1 the picture is not the first one"

escape_ends_cleanly "$pid" "$id" 60 "the demo"
pid=""
grep -nE 'GL ERROR DETECTED|OpenGL Error' "$out/stdout" && fail "the run reported GL errors"
[ "$failures" -eq 0 ] && echo "render scale: ok"
exit "$failures"
