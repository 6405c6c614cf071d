#!/usr/bin/env bash
# Editing the shaders of the running demo, on a scratch copy of the asset tree. A NUL byte in the
# composite (texture.frag) is refused as no text, naming the line; the composite made a flat
# colour (saved with a UTF-8 byte-order mark) shows in the window within two seconds; a compile error in it
# keeps that picture, prints the file and line once and shows the message in the top-left corner;
# the original put back by a rename brings back the picture, message gone; the shadow pass's
# geometry stage (a three-stage program) reloads too, and its picture changes and returns;
# Escape then ends with status 0. The same compile error at start-up ends the demo with the
# compiler's message and status 255. Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
source "$(dirname "$0")/common.bash"
out="$(mktemp -d)"
cp -r "$source_dir/Quarnvale" "$out/Quarnvale"
mkdir "$out/build"
composite="$out/Quarnvale/Shader/texture.frag"
geometry="$out/Quarnvale/Shader/pointlightdepth1.geo"
cp "$composite" "$out/texture.frag.orig"
cp "$geometry" "$out/geo.orig"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$out"' EXIT
cd "$out/build"

magenta=$'#version 330 core\nout vec4 fragColor;\nvoid main() {\n    fragColor = vec4(1.0, 0.0, 1.0, 1.0);\n}\n'
broken=$'#version 330 core\nout vec4 fragColor;\nvoid main() {\n    fragColor = undefinedColour;\n}\n'

shot() { import -window "$id" "$out/$1.png"; }
# Pixels of pictures $1 and $2 that differ by more than 3 %, in region $3 (WxH+X+Y).
changed() {
  convert "$out/$1.png" -crop "$3" +repage "$out/ca.png"
  convert "$out/$2.png" -crop "$3" +repage "$out/cb.png"
  compare -metric AE -fuzz 3% "$out/ca.png" "$out/cb.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}
# Share of magenta pixels (in %) in region $2 of picture $1.
magenta_share() {
  convert "$out/$1.png" -crop "$2" +repage -fuzz 5% -fill black +opaque '#ff00ff' -fill white \
    -opaque '#ff00ff' -format '%[fx:int(100*mean)]' info:
}
# Whether more than `limit` seconds (2 unless set) have passed since `since` (nanoseconds).
limit=2
late() { (($(date +%s%N) - since > limit * 1000000000)); }
# Takes screenshot $1 until test $2 (a command given the picture's name) passes, until `late`;
# false when it never does.
until_shown() {
  local name="$1" check="$2"
  while :; do
    shot "$name"
    $check "$name" && return 0
    late && return 1
    sleep 0.1
  done
}
all_magenta() { [ "$(magenta_share "$1" 640x384+0+0)" -ge 99 ]; }
like_before() { [ "$(changed before "$1" 640x384+0+0)" -lt 500 ]; }
unlike_before() { [ "$(changed before "$1" 640x384+0+0)" -gt 2000 ]; }
# Waits until `late` for standard output to hold fixed text $1.
until_printed() {
  while ! grep -qF -- "$1" "$out/stdout"; do
    late && return 1
    sleep 0.05
  done
}

"$build/demo" 640 384 </dev/null >"$out/stdout" 2>"$out/stderr" &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
sleep 3
# Paused, the scene holds still: the picture before and after can be compared.
xdotool keydown --window "$id" p sleep 0.08 keyup --window "$id" p
sleep 1
shot before

since="$(date +%s%N)"
# The NUL after the last line of the file as it was (the text before it would still build).
{ cat "$out/texture.frag.orig"; printf '\0junk'; } >"$composite"
nul_line=$(($(wc -l <"$out/texture.frag.orig") + 1))
until_printed "../Quarnvale/Shader/texture.frag:$nul_line: not a text file (a NUL byte)" ||
  fail "no line naming the NUL byte's file and line [$(cat "$out/stdout")]"

since="$(date +%s%N)"
{ printf '\xEF\xBB\xBF'; printf '%s' "$magenta"; } >"$composite"
until_shown flat all_magenta || fail "the flat composite did not show within 2 s"
grep -qxF "Shaders reloaded: ../Quarnvale/Shader/texture.frag (1 program)" "$out/stdout" ||
  fail "no line for the good reload [$(cat "$out/stdout")]"

since="$(date +%s%N)"
printed_before="$(wc -l <"$out/stdout")"
printf '%s' "$broken" >"$composite"
until_printed "../Quarnvale/Shader/texture.frag:4(" || fail "no compiler line naming file and line"
sleep 1
shot broken
kill -0 "$pid" 2>/dev/null || fail "the demo ended on a compile error"
# Once since the file was broken (the NUL byte's came before).
[ "$(tail -n +$((printed_before + 1)) "$out/stdout" |
  grep -c "Shader reload failed, the last good program stays: ../Quarnvale/Shader/texture.frag")" -eq 1 ] ||
  fail "the failure was not printed exactly once [$(cat "$out/stdout")]"
[ "$(magenta_share broken 320x192+320+192)" -ge 99 ] || fail "the last good picture did not stay"
[ "$(magenta_share broken 300x20+8+8)" -le 60 ] || fail "no message in the top-left corner"

since="$(date +%s%N)"
cp "$out/texture.frag.orig" "$composite.new" && mv "$composite.new" "$composite"
until_shown restored like_before ||
  fail "the picture did not come back within 2 s ($(changed before restored 640x384+0+0) pixels differ)"

since="$(date +%s%N)"
sed 's/^void main() {$/void main() {\n    return;/' "$out/geo.orig" >"$geometry"
until_printed "Shaders reloaded: ../Quarnvale/Shader/pointlightdepth1.geo (1 program)" ||
  fail "the geometry stage did not reload [$(cat "$out/stdout")]"
# Only the time to reload is bounded; the shadows' change may take the loaded machine longer.
limit=10
until_shown unshadowed unlike_before ||
  fail "the shadows did not go with the geometry stage's output ($(changed before unshadowed 640x384+0+0) pixels)"
since="$(date +%s%N)"
cp "$out/geo.orig" "$geometry"
until_shown shadowed like_before ||
  fail "the shadows did not come back ($(changed before shadowed 640x384+0+0) pixels differ)"

escape_ends_cleanly "$pid" "$id" 30 "after the reloads"
pid=""
grep -q "GL ERROR DETECTED" "$out/stdout" && fail "GL error [$(cat "$out/stdout")]"

# At start-up a compile error still ends the demo, with the compiler's message and status 255.
printf '%s' "$broken" >"$composite"
timeout 60 "$build/demo" </dev/null >"$out/stdout"
status=$?
[ "$status" -eq 255 ] || fail "a broken shader at start-up gave status $status"
[ "$(head -n 1 "$out/stdout")" == "Failed to compile shader" ] &&
  grep -q "undefinedColour" "$out/stdout" || fail "start-up printed [$(cat "$out/stdout")]"

[ "$failures" -eq 0 ] && echo "shader_reload: all passed"
exit $((failures > 0))
