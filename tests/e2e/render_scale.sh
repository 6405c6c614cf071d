#!/usr/bin/env bash
# The render scale on the real binaries. The bench: at render-scale=1 the captures are the
# references to the bit. The demo's settings panel (F2), driven with the pointer on a
# paused scene: the render-scale slider at its left end draws the same picture at a quarter of
# the pixels, stretched over the whole window (F12 still saves the window's size); back at 1 the
# picture is the first one to the bit; then a target of 240 fps, which no frame here meets,
# makes the controller take the scale down to that same floor. Needs an X display (DISPLAY).
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
timeout 600 ./bench --size 640x384 --frames 0 --capture 3,20,48 --set render-scale=1,target-fps=0 \
  --capture-dir "$out/bench" </dev/null >/dev/null || fail "the bench failed at render-scale=1"
for t in 3 20 48; do
  differing="$(compare -metric AE "$out/bench/final-t$t.png" "$source_dir/tests/reference/final-t$t.png" null: 2>&1)"
  [ "$differing" = 0 ] || fail "render-scale=1: t = $t differs from the reference in $differing pixels"
done

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
[ "$(compare -metric AE "$out/quarter.png" "$out/held.png" null: 2>&1)" = 0 ] ||
  fail "a 240 fps target did not hold the scale at its floor"
[ "$(compare -metric AE "$out/full.png" "$out/back.png" null: 2>&1)" = 0 ] ||
  fail "back at scale 1 the picture is not the first one"

escape_ends_cleanly "$pid" "$id" 60 "the demo"
pid=""
grep -nE 'GL ERROR DETECTED|OpenGL Error' "$out/stdout" && fail "the run reported GL errors"
[ "$failures" -eq 0 ] && echo "render scale: ok"
exit "$failures"
