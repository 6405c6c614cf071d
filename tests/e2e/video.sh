#!/usr/bin/env bash
# The bench's outputs as a user meets them:
#   - a short H.264 video: its frame count, size, pixel format and rate, and one frame against a
#     capture of the same flight time, exactly as the encoder was fed it and, decoded, by PSNR
#     (the encoding is lossy); an odd size padded to even;
#   - failures, each one line naming the file with a non-zero status and no file left behind:
#     a folder that does not exist, an unknown extension (status 2), no ffmpeg on the PATH, an
#     encoder that dies or writes nothing, options a video cannot honour (status 2), a start-up
#     failure after the file was opened, a full disk (a 64 kB tmpfs; needs root, skipped with a
#     message otherwise) and a termination request mid-run;
#   - a run killed outright leaves its temporary file, and the next run to that name clears it;
#   - --help prints the usage and ends with status 0.
# Needs an X display (DISPLAY), as scripts/test.sh provides; about 40 s.
set -uo pipefail
build="$(cd "$1" && pwd)"
source "$(dirname "$0")/common.bash"
out="$(mktemp -d)"
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted"
  rm -rf "$out"
}
trap cleanup EXIT
cd "$build"
# The bench with the PATH in $bench_path when set (the shell's own commands keep theirs).
timeout_program="$(command -v timeout)"
bench() { PATH="${bench_path:-$PATH}" "$timeout_program" 300 ./bench "$@" </dev/null >>"$out/stdout"; }
probe() { ffprobe -v error -select_streams v:0 -count_frames -show_entries "stream=$2" -of csv=p=0 "$1"; }
# Fails unless folder $1 holds nothing (a partial video or a temporary file included); $2 names the case.
left_nothing() { [ -z "$(ls -A "$1")" ] || fail "$2: left [$(ls -A "$1" | tr '\n' ' ')]"; }

# 16 frames from 1.8 s at 60 fps: frame 12 is t = 2. The ffmpeg the bench starts is the real
# one behind a tee that keeps the raw frames it was fed, so frame 12 can be checked exactly too.
mkdir "$out/v" "$out/tee"
printf '#!/bin/sh\ntee "%s" | "%s" "$@"\n' "$out/frames.rgb" "$(command -v ffmpeg)" >"$out/tee/ffmpeg"
chmod +x "$out/tee/ffmpeg"
bench_path="$out/tee:$PATH" bench --size 320x180 --start 1.8 --frames 16 --fps 60 --video "$out/v/f.mp4" 2>"$out/err"
status=$?
[ "$status" -eq 0 ] || fail "video: status $status [$(cat "$out/err")]"
got="$(probe "$out/v/f.mp4" codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames)"
[ "$got" = "h264,320,180,yuv420p,60/1,16" ] || fail "video: want h264,320,180,yuv420p,60/1,16, got [$got]"
grep -qE "^bench: wrote $out/v/f.mp4: 16 frames, 0.27 s at 60 fps, 320 x 180, [0-9.]+ [kM]?B$" "$out/err" ||
  fail "video: no final line naming file, length and size [$(cat "$out/err")]"
[ "$(ls -A "$out/v")" = f.mp4 ] || fail "video: the folder holds [$(ls -A "$out/v")]"
bench --size 320x180 --frames 0 --capture 2 --capture-dir "$out/cap" 2>>"$out/err"
frame=$((320 * 180 * 3))
cmp -s <(tail -c +$((12 * frame + 1)) "$out/frames.rgb" | head -c $frame) \
  <(convert "$out/cap/final-t2.png" -depth 8 rgb:-) ||
  fail "video: frame 12 as fed to the encoder is not the capture at t = 2"
ffmpeg -v error -i "$out/v/f.mp4" -vf 'select=eq(n\,12)' -frames:v 1 "$out/frame12.png"
psnr="$(ffmpeg -i "$out/frame12.png" -i "$out/cap/final-t2.png" -lavfi psnr -f null - 2>&1 |
  sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p')"
echo "frame 12 against the capture at t = 2: PSNR $psnr dB"
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p >= 30) }' || fail "video: decoded frame 12 is off the capture (PSNR [$psnr])"

bench --size 161x91 --start 20 --frames 4 --video "$out/v/odd.mp4" 2>>"$out/err" || fail "odd size: status $?"
got="$(probe "$out/v/odd.mp4" width,height,nb_read_frames)"
[ "$got" = "162,92,4" ] || fail "odd size: want 162,92,4 (padded to even), got [$got]"

# Failures. $1: the case, $2: the status wanted, $3: a pattern the one line must match; the
# rest is the bench's command line.
fails_cleanly() {
  local what="$1" want="$2" pattern="$3" status
  shift 3
  bench "$@" 2>"$out/err"
  status=$?
  [ "$status" -eq "$want" ] || fail "$what: status $status, want $want [$(cat "$out/err")]"
  grep -qE "$pattern" "$out/err" || fail "$what: no line matching '$pattern' in [$(cat "$out/err")]"
}
mkdir "$out/f"
fails_cleanly "no folder" 1 "^bench: cannot write $out/none/f.mp4: No such file or directory$" \
  --size 160x96 --frames 4 --video "$out/none/f.mp4"
fails_cleanly "unknown extension" 2 "^bench: --video $out/f/f.avi: unknown extension; a video is .mp4, .webm, .webp or .gif$" \
  --size 160x96 --frames 4 --video "$out/f/f.avi"
left_nothing "$out/f" "unknown extension"
bench_path=/nonexistent fails_cleanly "no encoder" 1 "^bench: cannot write $out/f/f.mp4: no ffmpeg program on the PATH" \
  --size 160x96 --frames 4 --video "$out/f/f.mp4"
left_nothing "$out/f" "no encoder"
mkdir "$out/fake"
printf '#!/bin/sh\nhead -c 70000 >/dev/null\necho "encoder fell over" >&2\nexit 7\n' >"$out/fake/ffmpeg"
chmod +x "$out/fake/ffmpeg"
bench_path="$out/fake:$PATH" fails_cleanly "encoder dies" 1 \
  "^bench: cannot write $out/f/f.mp4: encoder fell over \(from ffmpeg, status 7\)$" \
  --size 160x96 --frames 8 --video "$out/f/f.mp4"
left_nothing "$out/f" "encoder dies"

# --help is no error: the usage on standard output, status 0.
./bench --help </dev/null >"$out/help" 2>"$out/err"
status=$?
[ "$status" -eq 0 ] && head -n 1 "$out/help" | grep -q "^usage: bench " && [ ! -s "$out/err" ] ||
  fail "--help: status $status, printed [$(head -n 2 "$out/help")] [$(cat "$out/err")]"

# An encoder that ends well without writing a byte has not made a video.
mkdir "$out/empty"
printf '#!/bin/sh\ncat >/dev/null\nexit 0\n' >"$out/empty/ffmpeg"
chmod +x "$out/empty/ffmpeg"
bench_path="$out/empty:$PATH" fails_cleanly "encoder writes nothing" 1 \
  "^bench: cannot write $out/f/f.mp4: the encoder \(ffmpeg\) ended with status 0 but wrote nothing$" \
  --size 160x96 --frames 4 --video "$out/f/f.mp4"
left_nothing "$out/f" "encoder writes nothing"

# Options a video cannot honour are refused before anything is opened, as usage errors.
for option in "--json $out/f/r.json" --intermediates "--compare $out" --whole-frames "--warmup 3"; do
  # shellcheck disable=SC2086 # the option and its value are two words
  fails_cleanly "video with ${option%% *}" 2 "^bench: ${option%% *} does not go with --video" \
    --size 160x96 --frames 2 --video "$out/f/f.mp4" $option
done
fails_cleanly "no frames asked" 2 "^bench: --video: --frames 0 leaves no frames to render$" \
  --size 160x96 --start 10 --frames 0 --video "$out/f/f.mp4"
fails_cleanly "WebP too wide" 2 "^bench: --video $out/f/w.webp: a .webp is at most 16383 pixels on a side" \
  --size 16384x16 --frames 1 --video "$out/f/w.webp"
left_nothing "$out/f" "refused options"

# Start-up fails after the file was opened (run where ../Quarnvale is missing): the start-up
# failure's own line and status, and the temporary file gone.
mkdir -p "$out/nowhere/build"
(cd "$out/nowhere/build" && "$timeout_program" 300 "$build/bench" --size 160x96 --frames 4 --video "$out/f/s.mp4" \
  </dev/null >"$out/stdout" 2>"$out/err")
status=$?
[ "$status" -eq 255 ] || fail "start-up fails: status $status, want 255 [$(cat "$out/err")]"
grep -q "^Failed to open shader file: ../Quarnvale/Shader/" "$out/stdout" ||
  fail "start-up fails: printed [$(cat "$out/stdout")]"
left_nothing "$out/f" "start-up fails"

# Killed outright mid-encode, the bench leaves its temporary file; the next run to the same name
# clears it, since its process is gone.
mkdir "$out/k"
./bench --size 160x96 --start 0 --frames 100000 --video "$out/k/k.mp4" </dev/null >/dev/null 2>"$out/err" &
pid=$!
for i in $(seq 300); do
  [ "$(find "$out/k" -name '.k.mp4.*.part' -size +0 | wc -l)" -gt 0 ] && break
  sleep 0.1
done
kill -KILL "$pid"
wait "$pid" 2>/dev/null
[ -n "$(ls -A "$out/k")" ] || fail "killed: no temporary file to clear (the test proves nothing)"
# Its encoder, fed no more, finishes the file (and may reopen it by name): wait for it to end.
for i in $(seq 300); do
  pgrep -f -- "$out/k/\.k\.mp4\." >/dev/null || break
  sleep 0.1
done
bench --size 160x96 --start 20 --frames 2 --video "$out/k/k.mp4" 2>"$out/err" || fail "after a kill: status $? [$(cat "$out/err")]"
[ "$(ls -A "$out/k")" = k.mp4 ] || fail "after a kill: the folder holds [$(ls -A "$out/k" | tr '\n' ' ')]"

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the full-disk case (mounting a tmpfs needs root)"
elif mkdir "$out/full" && mount -t tmpfs -o size=64k tmpfs "$out/full"; then
  mounted="$out/full"
  head -c 48k /dev/zero >"$out/full/filler" # the video gets 16 kB of room
  fails_cleanly "full disk" 1 "^bench: cannot write $out/full/f.mp4: No space left on device \(from ffmpeg, status [0-9]+\)$" \
    --size 320x180 --start 20 --frames 30 --video "$out/full/f.mp4"
  rm "$out/full/filler"
  left_nothing "$out/full" "full disk"
else
  fail "full disk: cannot mount a tmpfs"
fi

# Terminated once the encoder has the first frames: status 130, nothing left.
./bench --size 160x96 --start 0 --frames 100000 --video "$out/f/long.mp4" </dev/null >/dev/null 2>"$out/err" &
pid=$!
for i in $(seq 300); do
  [ "$(find "$out/f" -name '.long.mp4.*.part' -size +0 | wc -l)" -gt 0 ] && break
  sleep 0.1
done
kill -TERM "$pid"
wait_exit "$pid" 30
[ "$exit_code" = 130 ] || fail "terminated: status [$exit_code], want 130 [$(cat "$out/err")]"
grep -q "^bench: $out/f/long.mp4 not written: interrupted after [0-9]* frames$" "$out/err" ||
  fail "terminated: no line saying so [$(cat "$out/err")]"
left_nothing "$out/f" "terminated"

[ "$failures" -eq 0 ] || exit 1
echo "video: ok"
