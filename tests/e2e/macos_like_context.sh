#!/usr/bin/env bash
# The context macOS gives (GL 4.1 core, forward-compatible, GLSL 4.10, no debug output), made
# from Mesa: the reference captures come out pixel for pixel, the demo starts, saves a screenshot
# on F12 and ends on Escape with status 0, and no debug sink is installed.
set -euo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
export MESA_GL_VERSION_OVERRIDE=4.1FC MESA_GLSL_VERSION_OVERRIDE=410 MESA_SHADER_CACHE_DISABLE=true
export MESA_EXTENSION_OVERRIDE="-GL_KHR_debug -GL_ARB_debug_output -GL_AMD_debug_output"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
source "$(dirname "$0")/common.bash"

timeout 600 ./bench --size 640x384 --frames 0 --capture 3,20 --capture-dir "$out/bench" </dev/null >/dev/null 2>&1
for t in 3 20; do
  differing="$(compare -metric AE "$out/bench/final-t$t.png" "$source_dir/tests/reference/final-t$t.png" null: 2>&1 || true)"
  [ "$differing" = 0 ] || fail "t = $t differs from the reference in $differing pixels"
done

timeout 120 ./gl_tests --gtest_filter='DebugOutputGl.*' >"$out/gl.log" 2>&1 || fail "gl_tests: [$(cat "$out/gl.log")]"
grep -q "OK \] DebugOutputGl.NothingIsInstalledWithoutDebugOutput" "$out/gl.log" ||
  fail "the no-debug-output case did not run: [$(cat "$out/gl.log")]"

cd "$out"
mkdir run && cd run
ln -s "$source_dir/Quarnvale" ../Quarnvale
"$build/demo" 640 384 </dev/null >"$out/stdout" 2>"$out/stderr" &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window [$(cat "$out/stdout" "$out/stderr")]"; exit 1; }
sleep 1
xdotool key --window "$id" F12
for _ in $(seq 200); do
  grep -q "^Screenshot saved: " "$out/stdout" && break
  sleep 0.1
done
grep -q "^Screenshot saved: screenshot-0001.png" "$out/stdout" || fail "F12 saved nothing"
escape_ends_cleanly "$pid" "$id" 30 "demo" || true
grep -qE "OpenGL Error|GL ERROR DETECTED" "$out/stdout" && fail "errors or debug lines: [$(cat "$out/stdout")]"
[ "$failures" -eq 0 ] || exit 1
echo "macOS-like context: ok"
