#!/usr/bin/env bash
# Drives the real demo binary: command-line parsing, start-up failures with their exact output
# and exit status, window sizes, and Escape ending the run. Needs an X display (DISPLAY).
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
source "$(dirname "$0")/common.bash"

# A run that must end by itself: exact standard output and exit status.
expect_exit() {
  local status="$1" expected="$2"
  shift 2
  timeout 30 ${launcher:-} ./demo "$@" </dev/null >"$out/stdout"
  local got=$?
  [ "$got" -eq "$status" ] || fail "demo $* exited $got, expected $status"
  [ "$(cat "$out/stdout")" == "$expected" ] || fail "demo $* printed [$(cat "$out/stdout")], expected [$expected]"
}

start="you are executing './demo'"
expect_exit 1 "$start"$'\n'"Fail in first command line!" abc 600
expect_exit 1 "$start"$'\n'"Fail in first command line!" abc xyz
expect_exit 1 "$start"$'\n'"Fail in second command line!" 800 x600
expect_exit 1 "$start"$'\n'"Fail in thrid command line!" 800 600 true
expect_exit 1 "$start"$'\n'"Fail in thrid command line!" 800 600 2
# Sizes below 1 parse, then fail as a window that cannot be opened (status -1).
expect_exit 255 "$start"$'\n'"Failed to open window" -5 600
expect_exit 255 "$start"$'\n'"Failed to open window" 0 600
expect_exit 255 "$start"$'\n'"Failed to open window" 800 -1
# Without a display the windowing library cannot start.
launcher="env -u DISPLAY -u WAYLAND_DISPLAY" expect_exit 255 "Failed to init glfw"

# A run that opens a window: checks its size, taps Escape, expects status 0.
expect_window() {
  local size="$1" first_line="$2"
  shift 2
  ./demo "$@" </dev/null >"$out/stdout" &
  local pid=$!
  local id
  id="$(demo_window "$pid")"
  if [ -z "$id" ]; then
    fail "demo $*: no window titled Demo"
    wait_exit "$pid" 0
    return
  fi
  if [ -n "$size" ]; then
    local geometry
    geometry="$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')"
    [ "$geometry" == "$size" ] || fail "demo $*: window is $geometry, expected $size"
  fi
  escape_ends_cleanly "$pid" "$id" 120 "demo $*" || return
  if [ -n "$first_line" ]; then
    [ "$(head -n 1 "$out/stdout")" == "$first_line" ] || fail "demo $*: first line [$(head -n 1 "$out/stdout")]"
  else
    grep -q "you are executing" "$out/stdout" && fail "demo $*: start line without a size"
  fi
}

expect_window 1280x768 ""
expect_window 1280x768 "" 800
expect_window 800x600 "$start" 800 600
expect_window 1280x720 "$start" 1280px 720
expect_window 640x480 "$start" 640 480 0 ignored
expect_window "" "$start" 800 600 1

[ "$failures" -eq 0 ] || exit 1
echo "command line: all cases passed"
