#!/usr/bin/env bash
# The demo as a desktop window, under a window manager (openbox, started here unless one runs):
#   - resized larger, smaller, tall and wide, the frame fills the whole window: in a screenshot
#     of the window (which must have the requested size) every 4-pixel strip along an edge is at
#     least half non-black, like the middle. Every frame of the first 20 s of the flight is
#     non-black to the last pixel at these sizes; a frame left at the old size leaves whole
#     strips black;
#   - minimised, it uses under 30 % of one core over 5 s (it renders nothing and waits for
#     events), and once restored shows a whole picture again; minimised for 10 s during the
#     glide with M held, the flight stands still: the first view line after restoring is within
#     two frames' motion of the last before (a flight clock that ran on would have left the
#     glide for the orbit);
#   - with the free camera (J), giving the focus to an xterm, clicking there and coming back
#     does not turn the view: M's angles before and after agree within 0.01 radian, though the
#     pointer rested far outside the demo's window all the while;
#   - full screen at a size the screen lacks (1280 x 768 on 1920 x 1080) fills the screen, both
#     on the bare display and under the window manager.
# Every run ends with status 0 on Escape and prints no GL error and no debug message of type
# error. Needs an X display (DISPLAY) of 1920 x 1080, as scripts/test.sh provides; about 40 s.
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
pid=""
xterm_pid=""
cleanup() {
  for p in $pid $xterm_pid; do kill "$p" 2>/dev/null; done
  stop_window_manager
  rm -rf "$out"
}
trap cleanup EXIT
source "$(dirname "$0")/common.bash"

# Screenshots window $1 ("root" for the whole screen) into $2 until it is $3 x $4 pixels and the
# frame reaches all four edges, trying again a second later (a frame may still be on its way
# after a change); fails with "$5: ..." otherwise. PPM, because encoding a large PNG takes
# seconds beside a running demo.
expect_whole_frame() {
  local window="$1" shot="$2" w="$3" h="$4" what="$5" try size shares
  for try in 1 2; do
    import -window "$window" -depth 8 "$shot" 2>/dev/null
    size="$(identify -format '%wx%h' "$shot" 2>/dev/null)"
    shares="$(edge_shares "$shot" 2>/dev/null)"
    [ "$size" = "${w}x$h" ] && awk -v s="$shares" 'BEGIN { if (split(s, a, " ") != 5) exit 1
      for (i = 1; i <= 5; ++i) if (a[i] < 0.5) exit 1 }' && return 0
    sleep 1
  done
  fail "$what: screenshot ${size:-missing} (want ${w}x$h), non-black share left/right/top/bottom/middle: $shares"
}

# The window's size as "WxH" (the client area, without the window manager's frame).
window_size() {
  xdotool getwindowgeometry "$1" | awk '/Geometry:/ { print $2 }'
}

# The free camera's yaw and pitch from a fresh M line (a tap shorter than a frame).
angles() {
  local before
  before="$(view_lines "$out/stdout")"
  xdotool keydown --window "$id" m keyup --window "$id" m
  wait_lines "$out/stdout" $((before + 1)) || { echo "none none"; return; }
  grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1 | awk '{ print $4, $5 }'
}

check_log() {
  grep -nE 'GL ERROR DETECTED|Type = Error' "$1" && fail "$2 reported GL errors"
}

# Full screen at a size the screen lacks, once on the bare display (the library sizes the
# override-redirect window) and once under the window manager (which sizes it), at the end.
read -r screen_w screen_h <<<"$(xdotool getdisplaygeometry)"
full_screen() {
  start_demo 1280 768 1
  sleep 4 # set-up and the first, slow full-screen frames
  [ "$(window_size "$id")" = "${screen_w}x$screen_h" ] ||
    fail "full screen at 1280 x 768 $1: the window is $(window_size "$id"), the screen ${screen_w}x$screen_h"
  expect_whole_frame root "$out/fullscreen.ppm" "$screen_w" "$screen_h" "full screen at 1280 x 768 $1"
  escape_ends_cleanly "$pid" "$id" 60 "the full-screen demo $1"
  check_log "$out/stdout" "the full-screen demo $1"
  pid=""
}
window_manager_running || full_screen "without a window manager"

start_window_manager
start_demo 800 480
# Top left, clear of the xterm below.
xdotool windowmove "$id" 0 0
sleep 2

# Resizing.
for size in 1200x700 500x640 600x900 1600x400; do
  xdotool windowsize "$id" "${size%x*}" "${size#*x}"
  sleep 1.5
  [ "$(window_size "$id")" = "$size" ] || fail "resized to $size: the window is $(window_size "$id")"
  expect_whole_frame "$id" "$out/resized.ppm" "${size%x*}" "${size#*x}" "resized to $size"
done
xdotool windowsize "$id" 800 480
sleep 1.5

# Minimised, about 11 s into the 15 s glide, with M held: one view line per frame.
xdotool keydown --window "$id" m
sleep 1.5
xdotool windowminimize "$id"
for i in $(seq 30); do
  xprop -id "$id" WM_STATE 2>/dev/null | grep -q Iconic && break
  sleep 0.1
done
hidden_at=""
if xprop -id "$id" WM_STATE 2>/dev/null | grep -q Iconic; then
  sleep 1
  hidden_at="$(view_lines "$out/stdout")"
  cpu="$(cpu_percent "$pid" 5)"
  echo "minimised: $cpu % of one core"
  [ "$cpu" -lt 30 ] || fail "minimised, the demo used $cpu % of one core (want under 30)"
  sleep 3
else
  fail "the window did not minimise (WM_STATE: $(xprop -id "$id" WM_STATE 2>&1 | tail -n 1))"
fi
# The focus left with the window and released M: pressed again before the window returns, so
# the first frame after it prints.
xdotool keydown --window "$id" m
timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null
sleep 1
xdotool keyup --window "$id" m
sleep 0.5
expect_whole_frame "$id" "$out/restored.ppm" 800 480 "restored after minimising"
if [ -n "$hidden_at" ]; then
  # Distances between consecutive view directions: the median of the three frames before the
  # window hid, and the step across the hidden stretch.
  read -r step across <<<"$(grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | awk -v n="$hidden_at" '
    { x[NR] = $1; y[NR] = $2; z[NR] = $3 }
    function d(i) { return sqrt((x[i] - x[i - 1]) ^ 2 + (y[i] - y[i - 1]) ^ 2 + (z[i] - z[i - 1]) ^ 2) }
    END { if (n < 4 || NR <= n) exit
          a = d(n - 2); b = d(n - 1); c = d(n)
          print (a > b ? (b > c ? b : (a > c ? c : a)) : (a > c ? a : (b > c ? c : b))), d(n + 1) }')"
  echo "minimised 10 s in the glide: the view moved ${across:-?} across it, ${step:-?} a frame before"
  if [ -z "$across" ]; then
    fail "no view lines around the minimised stretch (lines before it: $hidden_at, in all: $(view_lines "$out/stdout"))"
  else
    awk -v s="$step" -v a="$across" 'BEGIN { exit !(a <= 2 * s) }' ||
      fail "the flight moved on while minimised: the view moved $across across the hidden stretch, $step a frame before"
  fi
fi

# Focus: the free camera stays put while another client has the focus and the pointer.
xdotool key --window "$id" j
sleep 1
read -r yaw pitch <<<"$(angles)"
xterm -T desktop-window-e2e -geometry 40x8+1000+600 >/dev/null 2>&1 &
xterm_pid=$!
xterm_id="$(timeout 20 xdotool search --sync --pid "$xterm_pid" 2>/dev/null | head -n 1)"
if [ -n "$xterm_id" ]; then
  # The focus leaves before the pointer does: a pointer leaving a focused window is mouse look.
  timeout 10 xdotool windowactivate --sync "$xterm_id" 2>/dev/null
  sleep 0.5
  xdotool mousemove 1100 650 click 1
  sleep 0.5
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$xterm_id" ] || fail "the xterm did not take the focus"
  sleep 3
  timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null
  sleep 1
  read -r yaw2 pitch2 <<<"$(angles)"
  echo "free camera: yaw $yaw pitch $pitch before the xterm took the focus, yaw $yaw2 pitch $pitch2 after"
  if [ "$yaw" = none ] || [ "$yaw2" = none ]; then
    fail "a tap of M printed no view line"
  else
    awk -v a="$yaw" -v b="$pitch" -v c="$yaw2" -v d="$pitch2" 'BEGIN {
      exit !((a - c) ^ 2 < 1e-4 && (b - d) ^ 2 < 1e-4) }' ||
      fail "the view turned while another window had the focus: yaw $yaw -> $yaw2, pitch $pitch -> $pitch2"
  fi
else
  fail "no xterm window appeared"
fi
kill "$xterm_pid" 2>/dev/null
wait "$xterm_pid" 2>/dev/null
xterm_pid=""

escape_ends_cleanly "$pid" "$id" 60 "the windowed demo"
check_log "$out/stdout" "the windowed demo"
pid=""

full_screen "under a window manager"

[ "$failures" -eq 0 ] && echo "desktop window: ok"
exit "$failures"
