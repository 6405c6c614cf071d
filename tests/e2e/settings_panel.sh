#!/usr/bin/env bash
# The settings panel on the real binary under a window manager: F2 shows it over the picture and
# F2 hides it again; with it open, a left drag on the panel does not turn the free camera and a
# right drag beside it does, with the pointer hidden meanwhile and back where it was afterwards; a
# checkbox clicked with the pointer changes the picture; closed, the mouse turns the camera as
# before. Typed into a slider (Ctrl+click), Escape cancels the edit and ends nothing, a Return
# tapped within one frame ends the edit, and values past the ends are clamped to the range --set
# takes (counts typed with an exponent or past any int too). The timing overlay stays in sight
# beside the open panel, and the panel fits its contents at every size the window passes through.
# A Ctrl+click, keys and Escape with no pause between them, at a few frames a second, each reach
# the field or the demo as they would slowly. No imgui.ini is written. Needs an X display (DISPLAY).
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null; stop_window_manager; rm -rf "$out"' EXIT
source "$(dirname "$0")/common.bash"

rm -f imgui.ini
start_window_manager
start_demo 960 540
sleep 1
timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null
sleep 1
# A still picture: the scene paused, the free camera at rest with the pointer at the centre.
xdotool key --window "$id" p j
xdotool mousemove --window "$id" 480 270
sleep 1.5

# A picture of the window; a demo that has ended fails the script at once (the screenshot tool
# would wait for its window for ever).
shot() {
  sleep 1.2
  kill -0 "$pid" 2>/dev/null || { fail "the demo ended before the picture '$1'"; exit "$failures"; }
  timeout 20 import -window "$id" "$out/$1.png"
}
# Pixels of pictures $1 and $2 (in $out) differing by more than 3 % inside the crop $3.
differing() {
  convert "$out/$1.png" -crop "$3" +repage "$out/a.png"
  convert "$out/$2.png" -crop "$3" +repage "$out/b.png"
  compare -metric AE -fuzz 3% "$out/a.png" "$out/b.png" null: 2>&1 | cut -d' ' -f1
}
panel_area=300x300+10+10
right_half=600x500+350+20
angles() { grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1 | awk '{ print $4, $5 }'; }
tap_m() {
  local lines
  lines="$(view_lines "$out/stdout")"
  xdotool key --window "$id" m
  wait_lines "$out/stdout" $((lines + 1)) || fail "M printed no view line ($1)"
  angles
}

shot closed
xdotool key --window "$id" F2
shot open
xdotool key --window "$id" F2
shot closed-again
[ "$(differing closed open "$panel_area")" -gt 20000 ] || fail "F2 did not show the panel"
[ "$(differing closed open "$right_half")" -lt 50 ] || fail "opening the panel changed the picture beside it"
[ "$(differing closed closed-again "$panel_area")" -lt 50 ] || fail "F2 again did not hide the panel"

xdotool key --window "$id" F2
sleep 1
start_angles="$(tap_m "panel open")"
# A left drag beside the panel (a drag on the panel's empty space would move the panel, and the clicks
# below aim at its widgets where it first sits).
xdotool mousemove --window "$id" 420 500 mousedown 1 mousemove --window "$id" 460 520 mousemove --window "$id" 560 530 mouseup 1
sleep 0.5
xdotool mousemove --window "$id" 700 300
sleep 0.5
[ "$(tap_m "left drag")" = "$start_angles" ] || fail "a left drag or a free pointer turned the camera with the panel open"
# A right drag beside the panel turns it.
xdotool mousedown 3
sleep 0.5
xdotool mousemove --window "$id" 680 300
sleep 0.5
xdotool mousemove --window "$id" 650 295
sleep 0.5
xdotool mouseup 3
turned="$(tap_m "right drag")"
[ "$turned" != "$start_angles" ] || fail "a right drag did not turn the camera with the panel open"

# The "normal maps" checkbox (the library's default font at this window size puts it here), seen
# on the G-buffer's normals (view 3), where it flattens every brick.
xdotool key --window "$id" 3
shot before-click
xdotool mousemove --window "$id" 27 161
sleep 0.5
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1
sleep 0.3
xdotool mousemove --window "$id" 700 300
shot after-click
changed="$(differing before-click after-click "$right_half")"
[ "$changed" -gt 3000 ] || fail "clicking the normal-maps box changed only $changed pixels beside the panel"

xdotool key --window "$id" 1

# Closed, the pointer turns the camera again (after the first frame re-centres it).
xdotool key --window "$id" F2
sleep 1
closed_angles="$(tap_m "panel closed")"
xdotool mousemove --window "$id" 580 270
sleep 1
[ "$(tap_m "mouse-look")" != "$closed_angles" ] || fail "with the panel closed the mouse no longer turns the camera"

# The flight-time slider: let go and moved away at once (within one frame), it stays where it was
# let go (25 s of 60: the orbit looks across the hall) instead of following the pointer to its end
# (60 s: straight up the shaft). The flight is back on and still paused, so the view holds.
xdotool key --window "$id" j F2
sleep 1
xdotool mousemove --window "$id" 80 391
sleep 0.5
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1 mousemove --window "$id" 900 500
sleep 1
tap_m "flight time" >/dev/null
up="$(grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1 | awk '{ print $2 }')"
awk -v y="$up" 'BEGIN { exit !(y < 0.5 && y > -0.5) }' || fail "the flight-time slider followed the pointer after release (view up $up: $(grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1))"

# A key held for a few frames: the panel's library looks at which keys are down once a frame, so a
# tap that starts and ends between two frames would be lost on it.
hold() {
  xdotool keydown --window "$id" "$1"
  sleep 0.3
  xdotool keyup --window "$id" "$1"
}
# Typing into a slider: Ctrl+click it, replace its text (Ctrl+A), then Return or Escape ($4); the
# keys held for a few frames or, with $5 = tap, pressed and let go at once.
type_into() {
  xdotool mousemove --window "$id" "$1" "$2"
  sleep 0.3
  xdotool keydown ctrl
  sleep 0.2
  xdotool click 1
  sleep 0.2
  xdotool keyup ctrl
  sleep 0.5
  if [ "${5:-}" = tap ]; then xdotool key --delay 0 --window "$id" ctrl+a; else hold ctrl+a; fi
  xdotool type --window "$id" -- "$3"
  sleep 0.5
  if [ "${5:-}" = tap ]; then xdotool key --delay 0 --window "$id" "$4"; else hold "$4"; fi
  sleep 1
}
# The free camera, still, beside the panel; the pointer rests on the panel.
xdotool key --window "$id" j
exposure_slider="90 299"
light_speed_slider="90 92"
# Escape typed into a field cancels the edit; the demo runs on.
type_into $exposure_slider 3 Escape
sleep 2
kill -0 "$pid" 2>/dev/null || { fail "Escape typed into a panel field ended the demo"; exit "$failures"; }
# Below the lowest exposure: the same as the lowest, panel and picture (above the frame-time graph).
type_into $exposure_slider 0.01 Return
shot exposure-lowest
type_into $exposure_slider -1 Return
shot exposure-typed
low="$(differing exposure-lowest exposure-typed 960x440+0+0)"
[ "$low" -lt 50 ] || fail "exposure typed as -1 differs from the lowest exposure in $low pixels"
# Ctrl+A and Return tapped within one frame: the text replaced, the field left, F2 the demo's
# again (it hides the panel).
type_into $exposure_slider 1.15 Return tap
shot typed-open
xdotool key --window "$id" F2
shot typed-closed
xdotool key --window "$id" F2
[ "$(differing typed-open typed-closed "$panel_area")" -gt 20000 ] || fail "after a Return tapped into a field F2 did not hide the panel"
[ "$(differing exposure-typed typed-open "$right_half")" -gt 3000 ] || fail "the exposure typed with tapped keys did not take"
# A light speed of -1e39 is clamped to 0: over a second running, nothing in the scene moves (not
# clamped, it overflows and every light's position turns NaN).
shot speed-before
type_into $light_speed_slider -1e39 Return
xdotool key --window "$id" p
sleep 1.5
xdotool key --window "$id" p
shot speed-typed
moved="$(differing speed-before speed-typed "$right_half")"
[ "$moved" -lt 50 ] || fail "with light speed typed as -1e39 the scene changed in $moved pixels"
xdotool mousemove --window "$id" 213 460 click 1 # described defaults
sleep 1

# A right-button turn hides the pointer, and puts it back where the press was.
pointer() { xdotool getmouselocation --shell | grep -E '^(X|Y)=' | cut -d= -f2 | paste -sd' '; }
# A 64-pixel square of the screen around the pointer, with the pointer drawn or not ($1 1|0).
grab_pointer() {
  local x y
  read -r x y <<<"$(pointer)"
  ffmpeg -loglevel error -y -f x11grab -draw_mouse "$1" -video_size 64x64 \
    -i "$DISPLAY+$((x > 32 ? x - 32 : 0)),$((y > 32 ? y - 32 : 0))" -frames:v 1 "$out/pointer$1.png"
}
xdotool mousemove --window "$id" 700 300
sleep 0.5
pressed_at="$(pointer)"
xdotool mousedown 3
sleep 0.5
xdotool mousemove --window "$id" 690 300
sleep 1
grab_pointer 1
grab_pointer 0
shown="$(compare -metric AE "$out/pointer1.png" "$out/pointer0.png" null: 2>&1 | cut -d' ' -f1)"
[ "$shown" -lt 5 ] || fail "the pointer shows during a right-button turn ($shown pixels of it)"
xdotool mouseup 3
sleep 1
[ "$(pointer)" = "$pressed_at" ] || fail "after the turn the pointer is at $(pointer), not where the press was ($pressed_at)"
xdotool mousemove --window "$id" 150 520
sleep 0.5

# The timing overlay beside the open panel: F1 shows it to the right of the panel.
shot no-overlay
xdotool key --window "$id" F1
shot overlay
xdotool key --window "$id" F1
shown="$(differing no-overlay overlay 600x250+350+0)"
[ "$shown" -gt 500 ] || fail "F1 showed only $shown pixels of the overlay beside the open panel"

# The panel's extent: where the window differs between the panel open and closed ("W H").
# Pictures taken as soon as they are due, at the slow frame rates here: a picture once the crop
# $2 of it has stopped changing, and one once it looks like picture $2 in the crop $3 (up to
# $4 pixels differing), each waited for up to 15 s.
grab() {
  kill -0 "$pid" 2>/dev/null || { fail "the demo ended before the picture '$1'"; exit "$failures"; }
  timeout 20 import -window "$id" "$out/$1.png"
}
settled() {
  local i same=0
  grab "$1"
  for i in $(seq 30); do
    sleep 0.5
    mv "$out/$1.png" "$out/$1-before.png"
    grab "$1"
    if [ "$(differing "$1" "$1-before" "$2")" -lt 5 ]; then
      same=$((same + 1))
      [ "$same" -ge 2 ] && return 0
    else
      same=0
    fi
  done
  return 1
}
becomes() {
  local i
  for i in $(seq 30); do
    grab "$1"
    [ "$(differing "$1" "$2" "$3")" -le "$4" ] && return 0
    sleep 0.5
  done
  return 1
}
# The panel's extent: where the window differs between the panel open and closed ("W H"). The
# panel is open before and after.
panel_size() {
  local i
  xdotool key --window "$id" F2
  settled "$1-closed" 400x300+0+0
  xdotool key --window "$id" F2
  # Its title bar shows, then it has a frame or two to fit its contents.
  for i in $(seq 30); do
    grab "$1-open"
    [ "$(differing "$1-open" "$1-closed" 60x6+30+24)" -gt 100 ] && break
    sleep 0.5
  done
  sleep 1.5
  grab "$1-open"
  convert "$out/$1-open.png" "$out/$1-closed.png" -compose difference -composite -threshold 3% \
    -format '%@' info: | sed -E 's/^([0-9]+)x([0-9]+).*/\1 \2/'
}
read -r small_w small_h <<<"$(panel_size small)"
# Twice the text scale (1320 lines): twice the panel, as far as the screen shows it.
xdotool windowmove "$id" 0 0 windowsize "$id" 1000 1320
sleep 3
read -r large_w large_h <<<"$(panel_size large)"
[ "$large_w" -ge $((small_w * 18 / 10)) ] && [ "$large_h" -ge $((small_h * 17 / 10)) ] ||
  fail "at twice the text scale the panel is ${large_w}x$large_h (at 960x540: ${small_w}x$small_h)"
xdotool windowsize "$id" 960 540
sleep 3
read -r again_w again_h <<<"$(panel_size again)"
[ "$again_w" -le $((small_w * 11 / 10)) ] && [ "$again_h" -le $((small_h * 11 / 10)) ] ||
  fail "back at 960x540 the panel is ${again_w}x$again_h (it was ${small_w}x$small_h)"

# The panel fits its contents at every size the window passes through: shrunk to 640 x 384 or to
# 64 x 64 and grown back, it is whole again; opened in a small window, it grows with the window.
whole_again() {
  local w h
  read -r w h <<<"$(panel_size "$1")"
  [ "$w" -ge $((small_w * 9 / 10)) ] && [ "$h" -ge $((small_h * 9 / 10)) ] ||
    fail "$2: the panel is ${w}x$h (at first ${small_w}x$small_h)"
}
for size in "640 384" "64 64"; do
  xdotool windowsize "$id" $size
  sleep 3
  xdotool windowsize "$id" 960 540
  sleep 3
  whole_again "regrown-${size/ /x}" "shrunk to ${size/ /x} and grown back"
done
xdotool key --window "$id" F2
xdotool windowsize "$id" 640 384
sleep 3
xdotool key --window "$id" F2
sleep 3
xdotool windowsize "$id" 960 540
sleep 3
whole_again opened-small "opened at 640x384, then grown"

# Numbers typed into the count sliders take the meaning --set gives them: past an end, that end
# ("2e1" is 20, not 21; twenty nines and "1e9" are the top, not 10 or 19); target fps below 10 is
# off ("-5" is not 10). Each is compared, as the slider shows it (its frame, 150 x 19 pixels), with
# the value it stands for typed plainly.
lights_slider="90 70"
fps_slider="90 500"
row() { echo "150x19+18+$(($1 - 10))"; }
reference() { # types $2 into the slider at height $1, then takes picture $3 once it has settled
  type_into 90 "$1" "$2" Return
  settled "$3" "$(row "$1")" || fail "the slider at height $1 did not settle after $2 was typed"
}
shows_as() { # types $2 into the slider at height $1: it comes to show what picture $3 shows
  type_into 90 "$1" "$2" Return
  becomes "$3-$2" "$3" "$(row "$1")" 5
}
reference 70 20 lights-20
shows_as 70 2e1 lights-20 || fail "lights typed as 2e1 are not 20"
xdotool mousemove --window "$id" 150 437 click 1 # opens "Render scale"
sleep 1
reference 500 0 fps-off
shows_as 500 -5 fps-off || fail "target fps typed as -5 is not off"
shows_as 500 0.5 fps-off || fail "target fps typed as 0.5 is not off"
reference 500 240 fps-top
shows_as 500 1e9 fps-top || fail "target fps typed as 1e9 is not the highest"
shows_as 500 99999999999999999999 fps-top || fail "target fps typed as 99999999999999999999 is not the highest"
xdotool mousemove --window "$id" 213 523 click 1 # described defaults
sleep 1
xdotool mousemove --window "$id" 150 437 click 1 # closes "Render scale"
sleep 1

# Keys and clicks faster than frames, at 1280 x 768 (a few frames a second here; the panel is the
# same there), with no pause between the events. References typed with pauses: exposure 2 in
# view 1, and in view 3.
xdotool windowsize "$id" 1280 768
sleep 3
type_into $exposure_slider 2 Return
settled exposure2 "$right_half" || fail "exposure 2 did not settle"
xdotool key --window "$id" 3
settled exposure2-view3 "$right_half" || fail "view 3 did not settle"
xdotool key --window "$id" 1
type_into $exposure_slider 1.15 Return
xdotool mousemove --window "$id" $exposure_slider
sleep 0.5
# Ctrl down, a click and Ctrl up within one frame are a Ctrl+click, and a digit typed at once goes
# to the field it opened, not to the demo as well (it would show view 2).
xdotool keydown ctrl click 1 keyup ctrl type --delay 0 2
sleep 1
xdotool key --delay 0 Return
becomes quick-ctrl-click exposure2 "$right_half" 50 ||
  fail "a quick Ctrl+click then 2 did not give exposure 2 in view 1 ($(differing exposure2 quick-ctrl-click "$right_half") pixels differ)"
xdotool key --window "$id" 1
type_into $exposure_slider 1.15 Return
xdotool mousemove --window "$id" $exposure_slider
sleep 0.5
# Escape right after a quick Ctrl+click cancels the edit; it ends nothing.
xdotool keydown ctrl click 1 keyup ctrl key --delay 0 Escape
sleep 3
kill -0 "$pid" 2>/dev/null || { fail "Escape right after a quick Ctrl+click ended the demo"; exit "$failures"; }
# Return then a digit at once: the digit is the demo's (view 3), the number the field's.
xdotool keydown ctrl click 1 keyup ctrl key --delay 0 2 Return 3
becomes quick-return-digit exposure2-view3 "$right_half" 50 ||
  fail "a quick Ctrl+click, 2, Return and 3 did not give exposure 2 in view 3 ($(differing exposure2-view3 quick-return-digit "$right_half") pixels differ)"

escape_ends_cleanly "$pid" "$id" 60 "the demo"
[ -e imgui.ini ] && fail "the panel wrote imgui.ini"
grep -nE 'GL ERROR DETECTED|OpenGL Error' "$out/stdout" && fail "the run reported GL errors"

[ "$failures" -eq 0 ] && echo "settings panel: ok"
exit "$failures"
