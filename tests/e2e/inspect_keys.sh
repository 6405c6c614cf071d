#!/usr/bin/env bash
# Looking inside the running demo with its own keys, on the real binary: 2-9 each change what
# the window shows and 1 brings back the final picture; F1 shows the timing overlay in the
# top-left corner and hides it again; F12 saves what the window shows as a PNG of the window's
# size and names it, a second F12 a second file; P stops the flight (two M lines a second apart
# are equal while paused, different after P again); three F12 and Escape at once: the demo ends
# only once all three are saved. Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
source "$(dirname "$0")/common.bash"
# The demo runs from a folder of its own one level below the asset tree, so its screenshots
# land where nothing else is.
out="$(mktemp -d)"
ln -s "$source_dir/Quarnvale" "$out/Quarnvale"
mkdir "$out/run"
trap 'kill "$pid" 2>/dev/null; rm -rf "$out"' EXIT
cd "$build"

tap() { xdotool keydown --window "$id" "$1" sleep 0.08 keyup --window "$id" "$1"; }
shot() { sleep 0.7; import -window "$id" "$out/$1.png"; }
# Pixels of pictures $1 and $2 (in $out) that differ by more than 3 %, optionally only in the
# region $3 (WxH+X+Y).
changed() {
  local a="$out/$1.png" b="$out/$2.png"
  if [ -n "${3:-}" ]; then
    convert "$a" -crop "$3" +repage "$out/ca.png"
    convert "$b" -crop "$3" +repage "$out/cb.png"
    a="$out/ca.png" b="$out/cb.png"
  fi
  compare -metric AE -fuzz 3% "$a" "$b" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}

(cd "$out/run" && exec "$build/demo" 640 384 </dev/null >"$out/stdout" 2>"$out/stderr") &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
sleep 2
tap p # pause: the views below are then pictures of one still frame
shot final
pixels=$((640 * 384))
for view in 2 3 4 5 6 7 8 9; do
  tap "$view"
  shot "view$view"
  n="$(changed final "view$view")"
  # The lit image before bloom differs from the final picture only around what glows.
  least=$((view == 7 ? pixels / 1000 : pixels / 10))
  [ "$n" -gt "$least" ] || fail "key $view changed only $n pixels"
done
tap 1
shot back
n="$(changed final back)"
[ "$n" -lt $((pixels / 100)) ] || fail "key 1 did not bring back the final picture ($n pixels differ)"

tap F1
shot overlay
corner="$(changed back overlay 200x100+0+0)"
rest="$(changed back overlay 320x192+320+192)"
[ "$corner" -gt 2000 ] || fail "F1 showed no overlay in the top-left corner ($corner pixels)"
[ "$rest" -lt 200 ] || fail "F1 changed the picture outside the overlay ($rest pixels)"
tap F1
shot hidden
n="$(changed back hidden)"
[ "$n" -lt $((pixels / 100)) ] || fail "a second F1 did not hide the overlay ($n pixels differ)"

tap F12
sleep 0.7
tap F12
sleep 0.7
for name in screenshot-0001.png screenshot-0002.png; do
  [ -f "$out/run/$name" ] || { fail "no $name"; continue; }
  [ "$(identify -format '%wx%h' "$out/run/$name")" == "640x384" ] || fail "$name is not 640x384"
  grep -qx "Screenshot saved: $name" "$out/stdout" || fail "no line naming $name"
done

# Paused since the start: the flight stands still. After P again it moves on.
m_line() {
  local before
  before="$(view_lines "$out/stdout")"
  xdotool keydown --window "$id" m sleep 0.1 keyup --window "$id" m
  wait_lines "$out/stdout" $((before + 1)) || fail "no view line for M"
  grep -E '^(-?[0-9.e+-]+  ){3}' "$out/stdout" | tail -n 1
}
a="$(m_line)"
sleep 1
b="$(m_line)"
[ "$a" == "$b" ] || fail "paused, the flight moved: [$a] then [$b]"
tap p
sleep 1
c="$(m_line)"
[ "$b" != "$c" ] || fail "after P again the flight did not move on: [$c]"

# Screenshots still being saved when Escape comes are finished before the demo ends.
xdotool key --window "$id" F12 F12 F12 Escape
wait_exit "$pid" 30
[ "${exit_code:-none}" == "0" ] || fail "three F12 and Escape: the demo ended with status ${exit_code:-none (still running)}"
for n in 3 4 5; do
  name="screenshot-000$n.png"
  grep -qx "Screenshot saved: $name" "$out/stdout" || fail "F12 just before Escape: no line naming $name"
  convert -regard-warnings "$out/run/$name" null: 2>/dev/null || fail "F12 just before Escape: $name does not decode"
done
grep -q "GL ERROR" "$out/stdout" && fail "GL error: $(grep -m1 'GL ERROR' "$out/stdout")"

# A screenshot that cannot be written (the working folder is gone: no file can be made there,
# not even by root) gives one line on standard error, and the demo runs on.
mkdir "$out/gone"
(cd "$out/gone" && exec "$build/demo" 320 192 </dev/null >"$out/stdout" 2>"$out/stderr") &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
rmdir "$out/gone"
tap F12
sleep 1.5
grep -q "^Screenshot not saved: cannot write screenshot-0001.png: No such file or directory$" "$out/stderr" ||
  fail "an unwritable screenshot gave no line on standard error: [$(cat "$out/stderr")]"
kill -0 "$pid" 2>/dev/null || fail "the demo ended after a screenshot it could not write"
escape_ends_cleanly "$pid" "$id" 20 "unwritable screenshot"
[ "$failures" -eq 0 ] && echo "inspect keys: all cases passed"
exit $((failures > 0))
