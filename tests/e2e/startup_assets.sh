#!/usr/bin/env bash
# Runs the real demo from a scratch copy of the asset tree: every missing shader file ends
# start-up with its own line and status 255, in the order the renderer builds its programs;
# with no terminal at standard input no pause prompt shows, at one the demo waits for Enter;
# a missing image or model is reported and the demo runs on; a normal run of several
# seconds raises no GL error and no debug-output line. Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
cp -r "$source_dir/Quarnvale" "$root/Quarnvale"
mkdir "$root/build"
cd "$root/build"
source "$(dirname "$0")/common.bash"

# The programs' files in the order set-up builds them (debuggbuffer.vert and texture.vert serve two programs each).
shaders=(pointlightdepth1.vert pointlightdepth1.geo pointlightdepth1.frag SkyBox.vert SkyBox.frag
  final.vert final.frag default.vert default.frag gBuffer.vert gBuffer.frag debuggbuffer.vert
  debuggbuffer.frag nightsky.frag texture.vert texture.frag gauss.frag view.frag)

# Hiding the files from the last one backwards: each run must stop at the earliest missing one.
mkdir "$root/hidden"
for ((k = ${#shaders[@]} - 1; k >= 0; k--)); do
  file="${shaders[$k]}"
  mv "$root/Quarnvale/Shader/$file" "$root/hidden/"
  timeout 60 "$build/demo" </dev/null >"$root/stdout"
  status=$?
  expected="Failed to open shader file: ../Quarnvale/Shader/$file"
  [ "$status" -eq 255 ] || fail "without $file and later files: status $status, expected 255"
  [ "$(cat "$root/stdout")" == "$expected" ] || fail "without $file: printed [$(cat "$root/stdout")]"
done
mv "$root/hidden/"* "$root/Quarnvale/Shader/"

# Each file alone, too: the message names exactly that file.
for file in "${shaders[@]}"; do
  mv "$root/Quarnvale/Shader/$file" "$root/hidden/"
  timeout 60 "$build/demo" </dev/null >"$root/stdout"
  status=$?
  [ "$status" -eq 255 ] || fail "without only $file: status $status"
  [ "$(cat "$root/stdout")" == "Failed to open shader file: ../Quarnvale/Shader/$file" ] ||
    fail "without only $file: printed [$(cat "$root/stdout")]"
  mv "$root/hidden/$file" "$root/Quarnvale/Shader/"
done

# Started from the asset tree's own folder instead of one below it: the same line, then one line
# on standard error that says where the file was looked for and where the demo must run from.
(cd "$root" && timeout 60 "$build/demo" </dev/null >"$root/stdout" 2>"$root/stderr")
status=$?
[ "$status" -eq 255 ] || fail "from the wrong folder: status $status"
[ "$(cat "$root/stdout")" == "Failed to open shader file: ../Quarnvale/Shader/pointlightdepth1.vert" ] ||
  fail "from the wrong folder: printed [$(cat "$root/stdout")]"
grep -qF "Looked for $(dirname "$root")/Quarnvale/Shader/pointlightdepth1.vert" "$root/stderr" &&
  grep -q "one level below the asset tree (such as build/)" "$root/stderr" ||
  fail "from the wrong folder: no hint on standard error [$(cat "$root/stderr")]"
grep -q "Press" "$root/stdout" "$root/stderr" && fail "no terminal, yet a pause prompt: [$(cat "$root/stderr")]"

# At a terminal (script gives the demo one) the message waits for Enter, then the status is the same.
(cd "$root" && printf '\n' | timeout 60 script -qec "$build/demo" /dev/null >"$root/tty" 2>&1)
status=$?
[ "$status" -eq 255 ] || fail "at a terminal: status $status"
grep -q "Press Enter to continue" "$root/tty" || fail "at a terminal: no pause prompt [$(cat "$root/tty")]"

# Starts the demo, lets it run `seconds`, checks it is still running, then taps Escape and
# expects status 0. Standard output is left in $root/stdout.
run_for() {
  local seconds="$1" what="$2"
  "$build/demo" </dev/null >"$root/stdout" &
  local pid=$!
  local id
  id="$(demo_window "$pid")"
  if [ -z "$id" ]; then
    fail "$what: no window"
    wait_exit "$pid" 0
    return
  fi
  sleep "$seconds"
  if ! kill -0 "$pid" 2>/dev/null; then
    wait_exit "$pid" 1
    fail "$what: ended by itself with status $exit_code"
    return
  fi
  escape_ends_cleanly "$pid" "$id" 60 "$what"
}

# A normal run: no GL error, no debug message.
run_for 8 "normal run"
grep -q "GL ERROR DETECTED!!!" "$root/stdout" && fail "normal run: GL error [$(cat "$root/stdout")]"
grep -q "OpenGL Error:" "$root/stdout" && fail "normal run: debug output [$(cat "$root/stdout")]"
[ -s "$root/stdout" ] && fail "normal run printed [$(cat "$root/stdout")]"

# A missing model is reported by the reader (path without a line break) and the demo runs on.
for model in scene2 sphere; do
  mv "$root/Quarnvale/Objects/$model.obj" "$root/hidden/"
  run_for 3 "without $model.obj"
  expected="Impossible to open the file !"$'\n'"../Quarnvale/Objects/$model.obj"
  [ "$(head -c ${#expected} "$root/stdout")" == "$expected" ] ||
    fail "without $model.obj: printed [$(cat "$root/stdout")]"
  grep -q "OpenGL Error:" "$root/stdout" && fail "without $model.obj: debug output [$(cat "$root/stdout")]"
  mv "$root/hidden/$model.obj" "$root/Quarnvale/Objects/"
done

# A missing image leaves an empty texture: its report goes to standard error (hostile_inputs.sh
# checks it), so standard output shows at most the one GL error the empty upload leaves for the
# first frame's check; the demo runs on.
for image in bricks3.png bricks_height.png right.png; do
  mv "$root/Quarnvale/Textures/$image" "$root/hidden/"
  run_for 3 "without $image"
  grep -v -x "GL ERROR DETECTED!!!" "$root/stdout" | grep -q . &&
    fail "without $image: printed [$(cat "$root/stdout")]"
  [ "$(grep -c "GL ERROR DETECTED!!!" "$root/stdout")" -le 1 ] ||
    fail "without $image: more than one GL error [$(cat "$root/stdout")]"
  mv "$root/hidden/$image" "$root/Quarnvale/Textures/"
done

[ "$failures" -eq 0 ] || exit 1
echo "start-up with missing assets: all cases passed"
