#!/usr/bin/env bash
# The picture must not depend on one GL implementation's quirks: the four regression moments of
# the flight (3, 20, 48 and 60 s) rendered at 320 x 192 by Mesa's reference rasterizer
# (GALLIUM_DRIVER=softpipe) must match llvmpipe's at a PSNR of at least 30 dB each. The two
# agree at 34-42 dB; a 20 % brightness change reads 26 dB, a 2-pixel blur 27 dB and two
# different moments about 14 dB. Both runs must report their own renderer, no GL error and no
# debug message of type error, and end with status 0 (the bench fails on a NaN-poisoned capture);
# neither driver's captures may be flat (two black pictures would agree perfectly). softpipe is about 4x slower: a few seconds at this size.
set -uo pipefail
build="$1"
cd "$build"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
source "$(dirname "$0")/common.bash"

min_psnr=30
times=(3 20 48 60)

# Captures the moments with driver $1 into $out/$1 and times one frame after them, which makes
# the bench print its renderer and count GL errors.
render() {
  local driver="$1" status=0
  GALLIUM_DRIVER="$driver" timeout 300 ./bench --size 320x192 --start 60 --frames 1 --warmup 0 \
    --capture "$(IFS=,; echo "${times[*]}")" --capture-dir "$out/$driver" </dev/null >"$out/$driver.log" 2>&1 ||
    status=$?
  [ "$status" -eq 0 ] || { cat "$out/$driver.log"; fail "$driver: the bench ended with status $status"; }
  local renderer
  renderer="$(sed -n 's/^renderer: //p' "$out/$driver.log")"
  case "$renderer" in
  "$driver"*) ;;
  *) fail "GALLIUM_DRIVER=$driver: the bench reports renderer '${renderer:-none}'" ;;
  esac
  grep -nE 'GL ERROR|Type = Error|FAIL' "$out/$driver.log" && fail "$driver: the run reported GL errors"
}

render llvmpipe
render softpipe

for t in "${times[@]}"; do
  a="$out/llvmpipe/final-t$t.png"
  b="$out/softpipe/final-t$t.png"
  if [ ! -s "$a" ] || [ ! -s "$b" ]; then
    fail "t = $t s: a capture is missing"
    continue
  fi
  for f in "$a" "$b"; do
    spread="$(convert "$f" -colorspace Gray -format '%[fx:standard_deviation*255]' info:)"
    awk -v s="$spread" 'BEGIN { exit !(s >= 5) }' || fail "t = $t s: $f is flat (grey spread $spread)"
  done
  # PSNR goes to standard error; "inf" when the two are identical, which passes too.
  psnr="$(compare -metric PSNR "$a" "$b" null: 2>&1 >/dev/null | awk '{ print $1 }')"
  echo "t = $t s: llvmpipe vs softpipe PSNR $psnr dB"
  awk -v p="$psnr" -v m="$min_psnr" 'BEGIN { exit !(p == "inf" || (p + 0 == p && p >= m)) }' ||
    fail "t = $t s: softpipe's picture differs from llvmpipe's (PSNR ${psnr:-none} dB, want at least $min_psnr)"
done

[ "$failures" -eq 0 ] && echo "softpipe: ok"
exit "$failures"
