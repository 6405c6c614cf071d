# Shared by the end-to-end scripts (sourced, not a test of its own): failure counting and
# waiting on a running demo and its window.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Prints the id of process $1's window titled "Demo" once it shows (up to 60 s); prints
# nothing if the process ends first or no window comes. (--all: the pid and the name must both
# match, or with two demos running each would find the other's window too.)
demo_window() {
  local pid="$1" id="" i
  for i in $(seq 600); do
    id="$(xdotool search --all --pid "$pid" --name '^Demo$' 2>/dev/null | head -n 1)"
    [ -n "$id" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "$id"
}

# Waits up to $2 seconds for process $1 to end and sets exit_code to its status; if it is
# still running then, kills it and leaves exit_code empty. (Not for use inside $(...): only
# the shell that started the process can wait for it.)
exit_code=""
wait_exit() {
  local pid="$1" seconds="$2" i
  exit_code=""
  for i in $(seq $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      exit_code=$?
      return
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# Taps Escape in window $2 of process $1 and expects the demo to end with status 0 within $3
# seconds; failures are reported as "$4: ...". The tap is shorter than a frame: the demo's key
# callback sees it even when it falls between two polls.
escape_ends_cleanly() {
  local pid="$1" id="$2" seconds="$3" what="$4"
  xdotool key --window "$id" Escape 2>/dev/null
  wait_exit "$pid" "$seconds"
  if [ -z "$exit_code" ]; then
    fail "$what: still running $seconds s after Escape"
    return 1
  fi
  [ "$exit_code" -eq 0 ] || fail "$what: Escape gave status $exit_code"
}

# The view lines M printed so far into file $1 (the demo's standard output), and a wait of up
# to 20 s until there are at least $2 of them.
view_lines() { grep -cE '^(-?[0-9.e+-]+  ){3}-?[0-9.e+-]+   -?[0-9.e+-]+$' "$1"; }
wait_lines() {
  local file="$1" count="$2" i
  for i in $(seq 200); do
    [ "$(view_lines "$file")" -ge "$count" ] && return 0
    sleep 0.1
  done
  return 1
}

# Starts ./demo with the given arguments (no stdin, standard output into $out/stdout) and sets
# `pid` and `id`, its process and its window; ends the script when no window appears.
start_demo() {
  ./demo "$@" </dev/null >"$out/stdout" &
  pid=$!
  id="$(demo_window "$pid")"
  [ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
}

# Whether a window manager runs on the display: the root names its check window, and that window
# exists. A window manager that was killed leaves the name behind, and GLFW (3.3) then aborts in
# glfwInit on an assertion, so the stale name is removed here.
window_manager_running() {
  local check
  check="$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')"
  [ -n "$check" ] || return 1
  xwininfo -id "$check" >/dev/null 2>&1 && return 0
  xprop -root -remove _NET_SUPPORTING_WM_CHECK
  return 1
}

# Starts openbox inside the display unless a window manager already runs there, and sets
# wm_pid to the openbox started (empty when one was already running). Plain Xvfb has none, and
# without one nothing honours minimising or moves focus between clients.
wm_pid=""
start_window_manager() {
  window_manager_running && return 0
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1.5
  window_manager_running || { echo "FAIL: openbox did not start"; exit 1; }
}

# Ends the openbox start_window_manager started, if any, and clears the root window properties it
# leaves behind (see window_manager_running), so later programs meet the bare display again.
stop_window_manager() {
  [ -n "$wm_pid" ] || return 0
  kill "$wm_pid" 2>/dev/null
  wait "$wm_pid" 2>/dev/null
  wm_pid=""
  local property
  for property in $(xprop -root 2>/dev/null | grep -oE '^_(NET|OB)_[A-Z_]+'); do
    xprop -root -remove "$property"
  done
}

# CPU time process $1 spends over the next $2 seconds, in percent of one core (all its threads).
cpu_percent() {
  local pid="$1" seconds="$2" ticks a b
  ticks="$(getconf CLK_TCK)"
  a="$(awk '{ print $14 + $15 }' "/proc/$pid/stat")"
  sleep "$seconds"
  b="$(awk '{ print $14 + $15 }' "/proc/$pid/stat")"
  echo $(((b - a) * 100 / (ticks * seconds)))
}

# The share (0..1) of pixels that are not black (brightest channel above 2 %) in 4-pixel strips
# along the left, right, top and bottom edges of picture $1 and in its middle half, in that
# order. A frame stuck in a corner of a larger window leaves whole strips black.
edge_shares() {
  local picture="$1" w h crop strips=()
  read -r w h <<<"$(identify -format '%w %h' "$picture")"
  for crop in "4x$h+0+0" "4x$h+$((w - 4))+0" "${w}x4+0+0" "${w}x4+0+$((h - 4))" \
    "$((w / 2))x$((h / 2))+$((w / 4))+$((h / 4))"; do
    strips+=("(" -clone 0 -crop "$crop" +repage ")")
  done
  convert "$picture" -grayscale Brightness -threshold 2% "${strips[@]}" -delete 0 -format '%[fx:mean] ' info:
  echo
}
