#!/usr/bin/env bash
# Drives the running demo with real X input: the flight shows a lit picture, J stops the flight,
# M prints the view line, the mouse turns the free camera, Escape ends the run cleanly, and the
# whole run prints no GL error and no debug message. Needs an X display (DISPLAY).
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null; rm -rf "$out"' EXIT
source "$(dirname "$0")/common.bash"

start_demo 800 480

# The glide: a lit, non-flat picture (mean and spread of the grey levels, 0..1).
sleep 4
import -window "$id" "$out/glide.png"
read -r mean spread <<<"$(convert "$out/glide.png" -colorspace Gray -format '%[fx:mean] %[fx:standard_deviation]' info:)"
awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m > 0.02 && s > 0.02) }' ||
  fail "the glide looks black or flat (mean $mean, spread $spread)"

angle() { grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1 | awk '{ print $4 }'; }

xdotool key --window "$id" j
sleep 1
xdotool mousemove --window "$id" 400 240 # the centre: nothing turns
sleep 1
xdotool key --window "$id" m
wait_lines "$out/stdout" 1 || fail "M printed no view line"
before="$(angle)"

# 100 pixels right of the centre turns the free camera by 0.1 radian to the right.
lines="$(view_lines "$out/stdout")"
xdotool mousemove --window "$id" 500 240
sleep 1
xdotool key --window "$id" m
wait_lines "$out/stdout" $((lines + 1)) || fail "M printed no second view line"
after="$(angle)"
awk -v a="$before" -v b="$after" 'BEGIN { d = a - b; exit !(d > 0.09 && d < 0.11) }' ||
  fail "moving the mouse 100 px right turned the camera from $before to $after, expected 0.1 less"

escape_ends_cleanly "$pid" "$id" 60 "the demo"
grep -nE 'GL ERROR DETECTED|OpenGL Error' "$out/stdout" && fail "the run reported GL errors"

[ "$failures" -eq 0 ] && echo "keys and mouse: ok"
exit "$failures"
