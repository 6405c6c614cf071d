#!/usr/bin/env bash
# Real key presses of real lengths against the running demo at its default size: each press of
# J switches the flight exactly once (a 50 ms tap, about one frame, that may fall between two
# frames or span two, and 0.3 s and 0.7 s presses that last several frames), and a tap of M
# shorter than any frame (down and up in one xdotool call) prints exactly one view line.
# Whether the flight runs is read from M's line: the free camera looks exactly along its two
# angles, the flight does not.
# Needs an X display (DISPLAY).
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null; rm -rf "$out"' EXIT
source "$(dirname "$0")/common.bash"

start_demo
sleep 3 # past the first, slow frames

# Holds key $1 for $2 seconds.
hold() {
  xdotool keydown --window "$id" "$1"
  sleep "$2"
  xdotool keyup --window "$id" "$1"
}

# Taps M (a few milliseconds) and prints "flight" or "free" from the one line it must print.
flight_state() {
  local before
  before="$(view_lines "$out/stdout")"
  xdotool keydown --window "$id" m keyup --window "$id" m
  if ! wait_lines "$out/stdout" $((before + 1)); then
    fail "a tap of M printed no view line"
    echo none
    return
  fi
  sleep 1 # several frames: a phantom press would print a second line by now
  local after
  after="$(view_lines "$out/stdout")"
  [ "$after" -eq $((before + 1)) ] || fail "a tap of M printed $((after - before)) view lines"
  grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1 | awk '{
    x = cos($5) * sin($4); y = sin($5); z = cos($5) * cos($4)
    d = sqrt(($1 - x) ^ 2 + ($2 - y) ^ 2 + ($3 - z) ^ 2)
    print (d < 1e-3 ? "free" : "flight")
  }'
}

expect_state() {
  local state
  state="$(flight_state)"
  [ "$state" = "$1" ] || fail "$2: expected $1, M's line says $state"
}

expect_state flight "at start"
hold j 0.3
sleep 0.5
expect_state free "after a 0.3 s press of J"
hold j 0.05
sleep 0.5
expect_state flight "after a 50 ms tap of J"
hold j 0.7
sleep 0.5
expect_state free "after a 0.7 s press of J"
hold j 0.3
sleep 0.5
expect_state flight "after a second 0.3 s press of J"

# M held over several frames prints a line on each (3 s: several frames even on a busy machine).
lines="$(view_lines "$out/stdout")"
hold m 3
sleep 1
[ $(($(view_lines "$out/stdout") - lines)) -ge 2 ] || fail "M held for 3 s printed $(($(view_lines "$out/stdout") - lines)) view lines"

escape_ends_cleanly "$pid" "$id" 60 "the demo"

[ "$failures" -eq 0 ] && echo "key presses: ok"
exit "$failures"
