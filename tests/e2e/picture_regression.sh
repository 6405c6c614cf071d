#!/usr/bin/env bash
# Renders the four reference moments of the flight with the bench tool (glide at 3 s, orbit at
# 20 s, accelerating orbit at 48 s, camera on the axis at 60 s) and compares them with
# tests/reference; then times ten frames so the tool's measuring path runs too.
# Regenerate the references after an intended change with: bash scripts/update-references.sh
set -euo pipefail
build="$1"
source_dir="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"

# The same captures as scripts/update-references.sh, plus the intermediate targets.
timeout 600 ./bench --size 640x384 --frames 0 --capture 3,20,48,60 --intermediates --capture-dir "$out" \
    --compare "$source_dir/tests/reference" </dev/null
for t in 3 20 48 60; do
  for target in final-t$t t$t-gposition t$t-gnormal t$t-gcolor t$t-shadow3 t$t-lit t$t-bright t$t-blur; do
    [ -s "$out/$target.png" ] || { echo "missing capture $target.png"; exit 1; }
  done
done

# Every setting given at its default is the frame the references hold, pixel for pixel.
defaults="lights=50,light-speed=1,shadows=on,normal-maps=on,parallax=on,parallax-scale=0.04,bloom=on"
defaults="$defaults,bloom-strength=1.4,exposure=1.15,view=1"
timeout 600 ./bench --size 640x384 --frames 0 --capture 3,20,48 --set "$defaults" --capture-dir "$out/set" \
  </dev/null >/dev/null
for t in 3 20 48; do
  differing="$(compare -metric AE "$out/set/final-t$t.png" "$source_dir/tests/reference/final-t$t.png" null: 2>&1)"
  [ "$differing" = 0 ] || { echo "with every setting at its default, t = $t differs in $differing pixels"; exit 1; }
done

timeout 600 ./bench --size 640x384 --start 20 --frames 10 --warmup 2 --json "$out/bench.json" </dev/null
grep -q '"name": "lighting"' "$out/bench.json" || { echo "bench.json lacks the pass table"; exit 1; }
grep -q '"gl_errors": 0' "$out/bench.json" || { echo "the measured frames raised GL errors"; exit 1; }
echo "picture regression: ok"
