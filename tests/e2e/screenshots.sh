#!/usr/bin/env bash
# Screenshots (F12) on the real binary, where files are lost or falsely reported:
#   - on a full disk (a 1 MB tmpfs filled up) F12 gives one line on standard error with the
#     reason and no "saved" line, and leaves no file; with less room than one picture, no cut-off
#     file is left; once there is room again the next F12 is saved as screenshot-0001.png and
#     decodes. Needs root for the mount; skipped with a message otherwise;
#   - two demos in one folder, F12 sent to both at once in several rounds: every "saved" name is
#     a distinct file, every file decodes, and there are as many files as "saved" lines;
#   - at 1920 x 1080, three F12 taken in one frame while M is held: the gap between two M lines
#     (one per frame) stays within two frames' time, Escape right after waits for all three, and
#     all three decode.
# Needs an X display (DISPLAY) of 1920 x 1080, as scripts/test.sh provides; about 50 s.
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
source "$(dirname "$0")/common.bash"
# Each demo runs in a folder of its own one level below the asset tree.
out="$(mktemp -d)"
ln -s "$source_dir/Quarnvale" "$out/Quarnvale"
pids=()
mounted=""
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$mounted" ] && umount "$mounted"
  rm -rf "$out"
}
trap cleanup EXIT

# Starts the demo at $2 x $3 in folder $out/$1 (made if missing), standard output into
# $out/$4.out (through $5, a filter, when given), standard error into $out/$4.err; sets pid and id.
demo_in() {
  local folder="$out/$1" w="$2" h="$3" name="$4" filter="${5:-cat}"
  mkdir -p "$folder"
  mkfifo "$out/$name.fifo"
  "$filter" <"$out/$name.fifo" >"$out/$name.out" &
  (cd "$folder" && exec "$build/demo" "$w" "$h" </dev/null >"$out/$name.fifo" 2>"$out/$name.err") &
  pid=$!
  pids+=("$pid")
  id="$(demo_window "$pid")"
  [ -n "$id" ] || { echo "FAIL: no Demo window [$(tail -n 3 "$out/$name.err")]"; exit 1; }
}
# Whether PNG $1 decodes completely (every chunk's checksum, every row).
decodes() { convert -regard-warnings "$1" null: 2>/dev/null; }
saved_lines() { grep -cE '(^| )Screenshot saved: ' "$1"; }

# A full disk, then a nearly full one, then room again.
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the full-disk screenshot cases (mounting a tmpfs needs root; CI runs them as root)"
elif mkdir "$out/full" && mount -t tmpfs -o size=1m none "$out/full"; then
  mounted="$out/full"
  dd if=/dev/zero of="$out/full/filler" bs=1k count=1024 2>/dev/null
  demo_in full 640 384 full
  sleep 1
  xdotool key --window "$id" F12
  sleep 1.5
  xdotool key --window "$id" F12
  sleep 1.5
  [ "$(grep -c '^Screenshot not saved: cannot write screenshot-0001.png: No space left on device$' "$out/full.err")" -eq 2 ] ||
    fail "full disk: want two 'No space left' lines on standard error, got [$(cat "$out/full.err")]"
  # Room for a part of a picture only (one at this size takes a few hundred KB).
  rm "$out/full/filler"
  dd if=/dev/zero of="$out/full/filler" bs=1k count=960 2>/dev/null
  xdotool key --window "$id" F12
  sleep 1.5
  [ "$(grep -c '^Screenshot not saved: ' "$out/full.err")" -eq 3 ] ||
    fail "nearly full disk: no line on standard error [$(cat "$out/full.err")]"
  [ "$(saved_lines "$out/full.out")" -eq 0 ] || fail "full disk: reported saved: $(grep saved "$out/full.out")"
  [ "$(ls "$out/full")" == "filler" ] || fail "full disk: files left behind: $(ls -l "$out/full")"
  rm "$out/full/filler"
  xdotool key --window "$id" F12
  sleep 1.5
  kill -0 "$pid" 2>/dev/null || fail "full disk: the demo ended"
  escape_ends_cleanly "$pid" "$id" 20 "full disk"
  grep -qx 'Screenshot saved: screenshot-0001.png' "$out/full.out" || fail "room again: screenshot-0001.png not saved"
  decodes "$out/full/screenshot-0001.png" || fail "room again: screenshot-0001.png does not decode"
  umount "$out/full" && mounted=""
else
  fail "could not mount a tmpfs"
fi

# Two demos, one folder.
demo_in shared 320 192 a
a_pid="$pid" a_id="$id"
demo_in shared 320 192 b
b_pid="$pid" b_id="$id"
sleep 1
rounds=6
for round in $(seq $rounds); do
  xdotool key --window "$a_id" F12 key --window "$b_id" F12
  sleep 0.5
done
sleep 1
escape_ends_cleanly "$a_pid" "$a_id" 20 "two demos (a)"
escape_ends_cleanly "$b_pid" "$b_id" 20 "two demos (b)"
names="$(cat "$out/a.out" "$out/b.out" | sed -n 's/^Screenshot saved: //p' | sort)"
files="$(ls "$out/shared")"
[ "$(echo "$names" | grep -c .)" -eq $((2 * rounds)) ] ||
  fail "two demos: $(echo "$names" | grep -c .) saved lines for $((2 * rounds)) presses [$(cat "$out/a.err" "$out/b.err")]"
[ "$names" == "$(echo "$names" | uniq)" ] || fail "two demos: a name reported twice: $(echo "$names" | uniq -d)"
[ "$names" == "$files" ] || fail "two demos: saved [$names] but the folder holds [$files]"
for file in $files; do
  decodes "$out/shared/$file" || fail "two demos: $file does not decode"
done

# No stall: M lines time-stamped as they arrive, and a mark in the same stream where F12 is sent.
# The presses are handled in the first frame that prints its M line after the mark (the line
# comes from the update, the screenshots after the render), so the gap after that line is the
# frame that takes them: it is held to twice the median of the five frames before. (Saved on the
# frame's thread, three pictures this size held it up by about two seconds.)
stamp() { while IFS= read -r line; do echo "$EPOCHREALTIME $line"; done; }
demo_in large 1920 1080 large stamp
sleep 2
xdotool keydown --window "$id" m
sleep 3
echo "F12 sent" >"$out/large.fifo"
xdotool key --window "$id" F12 F12 F12
sleep 3
xdotool keyup --window "$id" m
escape_ends_cleanly "$pid" "$id" 60 "1920 x 1080"
read -r before after <<<"$(awk '
  / F12 sent$/ { marked = 1; next }
  NF == 6 { if (t) { if (marked) { if (++n == 2) post = $1 - t } else pre[++m] = $1 - t }; t = $1 }
  END { k = 0; for (i = m - 4 > 1 ? m - 4 : 1; i <= m; ++i) g[++k] = pre[i]
        for (i = 2; i <= k; ++i) for (j = i; j > 1 && g[j - 1] > g[j]; --j) { x = g[j]; g[j] = g[j - 1]; g[j - 1] = x }
        printf "%s %s\n", g[int((k + 1) / 2)], post }' "$out/large.out")"
echo "1920 x 1080: frames before F12 ${before:-none} s (median), the frame taking three screenshots ${after:-none} s"
if [ -z "$before" ] || [ -z "$after" ]; then
  fail "1920 x 1080: too few M lines around F12"
else
  awk -v m="$before" -v g="$after" 'BEGIN { exit !(g <= 2 * m) }' ||
    fail "1920 x 1080: the frame taking the screenshots took $after s, those before $before s: it stalled"
fi
[ "$(saved_lines "$out/large.out")" -eq 3 ] || fail "1920 x 1080: $(saved_lines "$out/large.out") of 3 saved before the end [$(cat "$out/large.err")]"
for n in 1 2 3; do
  decodes "$out/large/screenshot-000$n.png" || fail "1920 x 1080: screenshot-000$n.png does not decode"
done

[ "$failures" -eq 0 ] && echo "screenshots: all cases passed"
exit $((failures > 0))
