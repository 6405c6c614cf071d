#!/usr/bin/env bash
# The bench's --set in a plain capture: a legal setting is drawn as asked, however it looks. No
# lights and an exposure of 0.1 give a dim, colourless frame, and the capture still succeeds
# with the picture written: the checks for a picture that looks broken belong to --compare.
# Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source "$(dirname "$0")/common.bash"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"

timeout 300 ./bench --size 160x96 --frames 0 --capture 20 --set lights=0,exposure=0.1 --capture-dir "$out/dim" \
  </dev/null >"$out/stdout" 2>"$out/err" ||
  fail "a dim legal setting: --capture gave status $? [$(cat "$out/stdout" "$out/err")]"
capture="$out/dim/final-t20.png"
if [ -s "$capture" ]; then
  # Drawn as asked: dim all over, not a default frame under another name.
  mean="$(convert "$capture" -colorspace Gray -format '%[fx:mean]' info:)"
  awk -v m="$mean" 'BEGIN { exit !(m < 0.1) }' || fail "the dim setting gave a frame of mean $mean"
else
  fail "a dim legal setting: no capture written"
fi

[ "$failures" -eq 0 ] && echo "settings capture: ok"
exit "$failures"
