#!/usr/bin/env bash
# Runs the real demo against what a hostile user could hand it, from a scratch copy of the asset
# tree and under a memory cap: window sizes that crashed the windowing library or the driver end
# with "Failed to open window" and status 255; a FIFO or a link to /dev/zero in place of the
# level, a texture or a shader is reported exactly like a missing file; a truncated, empty,
# oversized or garbage image gives one line on standard error naming it and the demo runs on.
# Every case ends, or runs on, within seconds. Needs an X display (DISPLAY).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
root="$(mktemp -d)"
# The X server resets when its last client leaves, and a demo connecting during that reset fails
# glfwInit; a waiting xdotool keeps one connection open for the whole script.
xdotool search --sync --name "^keep the display up $$\$" >/dev/null 2>&1 &
keeper=$!
trap 'kill "$keeper" 2>/dev/null; rm -rf "$root"' EXIT
cp -r "$source_dir/Quarnvale" "$root/Quarnvale"
mkdir "$root/build" "$root/saved"
cd "$root/build"
source "$here/common.bash"

# Virtual memory cap for every run (KiB): a normal run peaks near 0.75 GB of address space here.
cap=1500000

# Runs the demo with arguments "$@" and expects it to end within 20 s with status $expected_status
# and standard output $expected_stdout.
expect_end() {
  local what="$1"
  shift
  (ulimit -v "$cap" && exec timeout 20 "$build/demo" "$@") </dev/null >"$root/stdout" 2>"$root/stderr"
  local status=$?
  [ "$status" -eq "$expected_status" ] ||
    fail "$what: status $status, expected $expected_status [$(cat "$root/stdout" "$root/stderr")]"
  [ "$(cat "$root/stdout")" == "$expected_stdout" ] || fail "$what: printed [$(cat "$root/stdout")]"
}

# Window sizes: each used to abort (xcb), segfault, print an Xlib error or allocate gigabytes.
for side in 16385 32767 40000 65535 2147483647; do
  for size in "$side $side" "$side 600" "800 $side"; do
    expected_status=255
    expected_stdout="you are executing '$build/demo'"$'\n'"Failed to open window"
    # shellcheck disable=SC2086
    expect_end "window $size" $size
  done
done

# Replaces asset $1 (path under Quarnvale/) by kind $2: a FIFO no one writes, or a link to /dev/zero.
make_hostile() {
  local file="$root/Quarnvale/$1"
  mv "$file" "$root/saved/"
  case "$2" in
    fifo) mkfifo "$file" ;;
    zero) ln -s /dev/zero "$file" ;;
  esac
}
restore() {
  rm -f "$root/Quarnvale/$1"
  mv "$root/saved/$(basename "$1")" "$root/Quarnvale/$1"
}

# Shaders: the demo stops with the message of a missing shader file.
for kind in fifo zero; do
  make_hostile Shader/gBuffer.frag "$kind"
  expected_status=255
  expected_stdout="Failed to open shader file: ../Quarnvale/Shader/gBuffer.frag"
  expect_end "gBuffer.frag as $kind"
  restore Shader/gBuffer.frag
done

# Starts the demo under the cap, lets it run 2 s after its window shows, records its peak
# resident memory in peak_kb, then taps Escape and expects status 0.
peak_kb=0
run_on() {
  local what="$1"
  (ulimit -v "$cap" && exec "$build/demo") </dev/null >"$root/stdout" 2>"$root/stderr" &
  local pid=$!
  local id
  id="$(demo_window "$pid")"
  if [ -z "$id" ]; then
    wait_exit "$pid" 0
    fail "$what: no window (status $exit_code) [$(cat "$root/stdout" "$root/stderr")]"
    return
  fi
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then
    wait_exit "$pid" 1
    fail "$what: ended by itself with status $exit_code"
    return
  fi
  peak_kb="$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")"
  escape_ends_cleanly "$pid" "$id" 60 "$what"
}

# The level: the reader's message for a file it cannot open, and the demo runs on.
for kind in fifo zero; do
  make_hostile Objects/scene2.obj "$kind"
  run_on "scene2.obj as $kind"
  expected="Impossible to open the file !"$'\n'"../Quarnvale/Objects/scene2.obj"
  [ "$(head -c ${#expected} "$root/stdout")" == "$expected" ] ||
    fail "scene2.obj as $kind: printed [$(cat "$root/stdout")]"
  restore Objects/scene2.obj
done

# Images: one line on standard error, at most the one GL error of an empty texture on standard
# output, and no more memory than a normal run.
check_image_run() {
  local what="$1" path="$2" why="$3"
  run_on "$what"
  [ "$(cat "$root/stderr")" == "Image not loaded: ../Quarnvale/$path: $why" ] ||
    fail "$what: standard error [$(cat "$root/stderr")]"
  grep -v -x "GL ERROR DETECTED!!!" "$root/stdout" | grep -q . && fail "$what: printed [$(cat "$root/stdout")]"
  [ "$(grep -c "GL ERROR DETECTED!!!" "$root/stdout")" -le 1 ] ||
    fail "$what: more than one GL error [$(cat "$root/stdout")]"
  [ "${peak_kb:-0}" -lt 400000 ] || fail "$what: peak resident memory $peak_kb kB"
}

for kind in fifo zero; do
  make_hostile Textures/bricks3.png "$kind"
  check_image_run "bricks3.png as $kind" Textures/bricks3.png "cannot open the file"
  restore Textures/bricks3.png
done

# Truncated: the first half of the picture.
mv "$root/Quarnvale/Textures/bricks_normal.png" "$root/saved/"
head -c 100000 "$root/saved/bricks_normal.png" >"$root/Quarnvale/Textures/bricks_normal.png"
check_image_run "truncated bricks_normal.png" Textures/bricks_normal.png \
  "the decoder cannot read it (damaged or unsupported variant)"
restore Textures/bricks_normal.png

# Empty.
mv "$root/Quarnvale/Textures/sphere_diff.jpg" "$root/saved/"
: >"$root/Quarnvale/Textures/sphere_diff.jpg"
check_image_run "empty sphere_diff.jpg" Textures/sphere_diff.jpg "empty file"
restore Textures/sphere_diff.jpg

# Oversized: a 118-byte BMP whose header claims 16000 x 4000 (a sky face), and one claiming
# 60000 x 60000.
bmp_claiming() { # width and height as little-endian hex byte strings
  printf 'BM\x76\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00'
  printf "$1$2"
  printf '\x01\x00\x18\x00\x00\x00\x00\x00\x00\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00'
  head -c 64 /dev/zero | tr '\0' '\177'
}
mv "$root/Quarnvale/Textures/right.png" "$root/saved/"
bmp_claiming '\x80\x3e\x00\x00' '\xa0\x0f\x00\x00' >"$root/Quarnvale/Textures/right.png"
[ "$(stat -c %s "$root/Quarnvale/Textures/right.png")" -eq 118 ] || fail "test BMP is not 118 bytes"
check_image_run "16000 x 4000 BMP of 118 bytes" Textures/right.png \
  "file of 118 bytes is too short for 16000 x 4000 pixels"
bmp_claiming '\x60\xea\x00\x00' '\x60\xea\x00\x00' >"$root/Quarnvale/Textures/right.png"
check_image_run "60000 x 60000 BMP" Textures/right.png \
  "picture of 60000 x 60000 is larger than 16384 a side or 2^26 pixels"
restore Textures/right.png

# Garbage.
mv "$root/Quarnvale/Textures/bricks_height.png" "$root/saved/"
head -c 5000 /dev/urandom | tr '\211BM\377' 'xxxx' >"$root/Quarnvale/Textures/bricks_height.png"
check_image_run "garbage bricks_height.png" Textures/bricks_height.png "not a PNG, JPEG or BMP picture"
restore Textures/bricks_height.png

[ "$failures" -eq 0 ] || exit 1
echo "hostile inputs: all cases passed"
