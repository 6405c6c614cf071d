#!/usr/bin/env bash
# Runs the Windows build (scripts/build-windows.sh) under Wine on a virtual display, with a Wine
# prefix of its own in build-windows/wine-prefix:
# - unit_tests.exe;
# - bench.exe's captures at 3 s and 20 s equal tests/reference pixel for pixel, as the Linux
#   build's do (tests/e2e/picture_regression.sh);
# - demo.exe 640 384 opens its window, F12 saves a screenshot, Escape ends with status 0;
#   demo.exe abc 48 ends with status 1, and a demo started where ../Quarnvale is missing with
#   255, each with its line and, with standard input not a console, no pause;
# - bench.exe --scene on a glTF model: a capture with the model in it (like the Linux build's, when
#   build/ holds one), and a broken file's line and status 1;
# - bench.exe --video through a stand-in encoder (see that step): a file ffprobe reads, and the
#   failures' lines with nothing left behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-windows"
for exe in demo bench unit_tests; do
  [ -f "$out/$exe.exe" ] || { echo "no $out/$exe.exe: run scripts/build-windows.sh first" >&2; exit 1; }
done
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash "$0" "$@"
fi

export WINEPREFIX="$out/wine-prefix"
# Quiet, and a crash ends the program (exit code 5) instead of starting Wine's debugger; no .NET
# or HTML engine is wanted (their absence would otherwise open install dialogs).
export WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
scratch="$(mktemp -d)"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
step() { echo "== $* ($SECONDS s)"; }

step "Wine prefix"
wine cmd /c exit >/dev/null 2>&1 || true # creates the prefix on the first run (about 10 s)

step "unit_tests.exe"
cd "$out"
wine unit_tests.exe --gtest_brief=1 </dev/null >"$scratch/unit.log" 2>&1 || {
  cat "$scratch/unit.log"
  fail "unit_tests.exe"
}
tail -n 2 "$scratch/unit.log"

step "bench.exe captures"
wine bench.exe --size 640x384 --frames 0 --capture 3,20 --capture-dir "$scratch/bench" </dev/null \
  >"$scratch/bench.log" 2>&1 || { cat "$scratch/bench.log"; fail "bench.exe"; }
for t in 3 20; do
  capture="$scratch/bench/final-t$t.png"
  if [ ! -s "$capture" ]; then
    fail "bench.exe made no capture at t = $t"
    continue
  fi
  differing="$(compare -metric AE "$capture" "$root/tests/reference/final-t$t.png" null: 2>&1 || true)"
  echo "t = $t s: $differing pixels differ from the Linux build's picture"
  [ "$differing" = 0 ] || fail "t = $t: $differing pixels differ from tests/reference/final-t$t.png"
done

step "bench.exe --scene"
# A binary glTF with its embedded texture, through the cross-built assimp: the bench's capture
# shows the model (its colour target covers part of the picture) and, when the Linux build is
# beside this one, equals that build's picture at 40 dB or better (the two C runtimes' maths
# differ in the last bits). A broken file is refused with its line and status 1.
scene_file="../tests/data/scenes/box-glb/BoxTextured.glb"
wine bench.exe --scene "$scene_file" --size 320x192 --frames 0 --capture 12 --view 4 --capture-dir "$scratch/scene" \
  </dev/null >"$scratch/scene.raw" 2>&1 || fail "bench.exe --scene: status $?"
wine bench.exe --scene "$scene_file" --size 320x192 --frames 0 --capture 12 --capture-dir "$scratch/scene" \
  </dev/null >>"$scratch/scene.raw" 2>&1 || fail "bench.exe --scene: status $?"
tr -d '\r' <"$scratch/scene.raw" >"$scratch/scene.log"
grep -q "^Scene loaded: $scene_file: 1 meshes, 12 triangles, 1 images in " "$scratch/scene.log" ||
  fail "bench.exe --scene: no load line [$(cat "$scratch/scene.log")]"
if [ -s "$scratch/scene/view4-t12.png" ] && [ -s "$scratch/scene/final-t12.png" ]; then
  # Share of the picture whose colour target is brighter than 8 of 255.
  cover="$(convert "$scratch/scene/view4-t12.png" -colorspace Gray -threshold 3.2% -format '%[fx:mean]' info:)"
  echo "the model covers $cover of the picture"
  awk -v c="$cover" 'BEGIN { exit !(c >= 0.05) }' || fail "bench.exe --scene: the model covers $cover of the picture"
  if [ -x "$root/build/bench" ]; then
    (cd "$root/build" && ./bench --scene "$scene_file" --size 320x192 --frames 0 --capture 12 \
      --capture-dir "$scratch/scene-linux" </dev/null >/dev/null 2>&1) || fail "the Linux bench --scene failed"
    psnr="$(compare -metric PSNR "$scratch/scene/final-t12.png" "$scratch/scene-linux/final-t12.png" null: 2>&1 || true)"
    echo "against the Linux build's capture: $psnr dB"
    awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 40) }' || fail "bench.exe --scene: $psnr dB from Linux's picture"
  fi
else
  fail "bench.exe --scene made no captures"
fi
status=0
wine demo.exe --scene ../tests/data/scenes/broken/missing-bin/BoxTextured.gltf </dev/null >"$scratch/broken.raw" 2>&1 ||
  status=$?
tr -d '\r' <"$scratch/broken.raw" >"$scratch/broken.log"
[ "$status" -eq 1 ] || fail "demo.exe --scene on a broken file: status $status, expected 1"
[ "$(cat "$scratch/broken.log")" = 'Scene not loaded: ../tests/data/scenes/broken/missing-bin/BoxTextured.gltf: GLTF: could not open referenced file "BoxTextured0.bin"' ] ||
  fail "demo.exe --scene on a broken file printed [$(cat "$scratch/broken.log")]"

step "bench.exe --video"
# Debian has no Windows ffmpeg, so a stand-in built here plays it: it takes the bench's command
# line, reads the raw RGB frames from its standard input and writes them to the output file as
# PPM pictures, which ffprobe reads. This proves the Windows side of the writer: finding the
# program on the PATH without a shell, the exclusively created temporary file, the pipe carrying
# every frame, the program's error output and status read back, the rename into place and no
# file left after a failure. It does not prove the real encoder's options on Windows.
mkdir -p "$scratch/encoder" "$scratch/video"
cat >"$scratch/encoder/ffmpeg.c" <<'STANDIN'
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
int main(int argc, char** argv) {
    int w = 0, h = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (!strcmp(argv[i], "-s"))
            sscanf(argv[i + 1], "%dx%d", &w, &h);
    const char* path = argv[argc - 1];
    _setmode(_fileno(stdin), _O_BINARY);
    if (strstr(path, "refuse")) {
        fprintf(stderr, "stand-in refused the file\n");
        return 3;
    }
    FILE* out = fopen(path, "wb");
    size_t size = (size_t)w * h * 3;
    unsigned char* frame = malloc(size ? size : 1);
    if (!out || !size)
        return 1;
    while (fread(frame, 1, size, stdin) == size) {
        fprintf(out, "P6\n%d %d\n255\n", w, h);
        fwrite(frame, 1, size, out);
    }
    return fclose(out) != 0;
}
STANDIN
x86_64-w64-mingw32-gcc-posix -O2 -o "$scratch/encoder/ffmpeg.exe" "$scratch/encoder/ffmpeg.c"
encoder_path="$(winepath -w "$scratch/encoder")"
# $1: the file; the rest, the bench's options. Leaves standard error, without carriage returns,
# in $scratch/video.err and the status in $status.
video() {
  local file="$1"
  shift
  status=0
  wine bench.exe --size 160x96 --start 20 "$@" --video "$file" </dev/null >/dev/null 2>"$scratch/video.raw" ||
    status=$?
  tr -d '\r' <"$scratch/video.raw" >"$scratch/video.err"
}
cd "$out"
WINEPATH="$encoder_path" video "$scratch/video/f.mp4" --frames 4
[ "$status" -eq 0 ] || fail "bench.exe --video: status $status [$(cat "$scratch/video.err")]"
got="$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=width,height,nb_read_frames \
  -of csv=p=0 "$scratch/video/f.mp4" 2>&1 || true)"
[ "$got" = "160,96,4" ] || fail "bench.exe --video: ffprobe read [$got], want 160,96,4 (4 frames of 160 x 96)"
grep -q "^bench: wrote $scratch/video/f.mp4: 4 frames" "$scratch/video.err" ||
  fail "bench.exe --video: no line saying what it wrote [$(cat "$scratch/video.err")]"
[ "$(ls -A "$scratch/video")" = f.mp4 ] || fail "bench.exe --video: the folder holds [$(ls -A "$scratch/video")]"
WINEPATH="$encoder_path" video "$scratch/video/refuse.mp4" --frames 4
[ "$status" -eq 1 ] && [ "$(cat "$scratch/video.err")" = \
  "bench: cannot write $scratch/video/refuse.mp4: stand-in refused the file (from ffmpeg, status 3)" ] ||
  fail "encoder refuses: status $status, said [$(cat "$scratch/video.err")]"
video "$scratch/video/none.mp4" --frames 4 # no ffmpeg anywhere on the PATH
[ "$status" -eq 1 ] && [ "$(cat "$scratch/video.err")" = \
  "bench: cannot write $scratch/video/none.mp4: no ffmpeg program on the PATH to encode it" ] ||
  fail "no encoder: status $status, said [$(cat "$scratch/video.err")], want one line"
[ "$(ls -A "$scratch/video")" = f.mp4 ] || fail "failed videos left [$(ls -A "$scratch/video")]"

step "demo.exe: window, F12, Escape"
run="$scratch/run"
mkdir -p "$run"
rm -f "$out"/screenshot-*.png # the demo saves into its working folder, build-windows/
wine "$out/demo.exe" 640 384 </dev/null >"$run/stdout" 2>"$run/stderr" &
pid=$!
pids+=("$pid")
window=""
for _ in $(seq 600); do # up to 60 s: the first start compiles every shader on llvmpipe
  window="$(xdotool search --name '^Demo$' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$window" ]; then
  fail "demo.exe showed no window"
  cat "$run/stdout" "$run/stderr"
else
  sleep 2
  xdotool key --window "$window" F12
  for _ in $(seq 300); do
    grep -q "^Screenshot saved: " "$run/stdout" && break
    sleep 0.1
  done
  grep -q "^Screenshot saved: screenshot-0001.png" "$run/stdout" || fail "F12 saved nothing: [$(cat "$run/stdout")]"
  size="$(identify -format '%wx%h' "$out/screenshot-0001.png" 2>/dev/null || true)"
  [ "$size" = 640x384 ] || fail "the screenshot is not a 640 x 384 picture: [$size]"
  rm -f "$out"/screenshot-*.png
  xdotool key --window "$window" Escape
  status=""
  for _ in $(seq 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      break
    fi
    sleep 0.1
  done
  [ "$status" = 0 ] || fail "Escape: status ${status:-none (still running after 30 s)}"
  grep -q "GL ERROR DETECTED" "$run/stdout" && fail "the run raised GL errors: [$(cat "$run/stdout")]"
fi

step "demo.exe: failures"
cd "$out"
status=0
wine demo.exe abc 48 </dev/null >"$scratch/abc.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "demo.exe abc 48: status $status, expected 1"
grep -q "^Fail in first command line!" "$scratch/abc.log" || fail "demo.exe abc 48 printed [$(cat "$scratch/abc.log")]"
# Run from a folder without ../Quarnvale: the first shader file is missing.
mkdir -p "$scratch/nowhere/below"
cd "$scratch/nowhere/below"
status=0
wine "$out/demo.exe" </dev/null >"$scratch/missing.log" 2>&1 || status=$?
[ "$status" -eq 255 ] || fail "without ../Quarnvale: status $status, expected 255"
grep -q "^Failed to open shader file: ../Quarnvale/Shader/pointlightdepth1.vert" "$scratch/missing.log" ||
  fail "without ../Quarnvale: printed [$(cat "$scratch/missing.log")]"
# Standard input is the null device, no console: no pause, as on Linux (the runtime's _isatty
# counts NUL as a console).
for log in abc missing; do
  grep -q "Press any key" "$scratch/$log.log" && fail "no console, yet a pause: [$(cat "$scratch/$log.log")]"
done

step "done"
[ "$failures" -eq 0 ] || { echo "$failures Windows check(s) failed"; exit 1; }
echo "Windows build under Wine: ok"
