#!/usr/bin/env bash
# --scene on real model files nobody here wrote (tests/data/scenes): each good one, captured by the
# bench twelve seconds into the flight, shows the model lit and in its own colours: the G-buffer's
# colour target says which pixels the model covers and what colours it has there, and the final
# picture must be neither black nor flat on them. Each broken file, and each bad use of the option,
# ends the demo with one line naming the file and the reason, and status 1, before any window.
# Needs an X display (DISPLAY).
set -euo pipefail
build="$1"
source_dir="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$build"
source "$(dirname "$0")/common.bash"
scenes="$source_dir/tests/data/scenes"

# Over the pixels the model covers (colour target brighter than 8 of 255): "cover lit spread hue",
# the covered share, the final picture's grey mean and spread there, and the model's own colour
# (mean of max - min channel) there.
measure() {
  paste -d' ' <(convert "$1" -depth 8 rgb:- | od -An -v -tu1 -w3) \
    <(convert "$2" -colorspace Gray -depth 8 gray:- | od -An -v -tu1 -w1) |
    awk '{ r=$1; g=$2; b=$3; f=$4; n++
           if ((r + g + b) / 3 > 8) { c++; s += f; ss += f * f
             mx = r; if (g > mx) mx = g; if (b > mx) mx = b
             mn = r; if (g < mn) mn = g; if (b < mn) mn = b; h += mx - mn } }
         END { if (c == 0) { print 0, 0, 0, 0; exit }
               m = s / c; printf "%.3f %.1f %.1f %.1f\n", c / n, m, sqrt(ss / c - m * m), h / c }'
}

for model in box-glb/BoxTextured.glb clearcoat-gltf/ClearCoatTest.gltf spider/spider.obj spider/spider.fbx; do
  dir="$out/$(basename "$model")"
  for view in 1 4; do
    timeout 300 ./bench --scene "$scenes/$model" --size 320x192 --frames 0 --capture 12 --view "$view" \
      --capture-dir "$dir" </dev/null >"$dir.log" 2>"$dir.err" || fail "$model: bench exited $?"
  done
  grep -q "^Scene loaded: $scenes/$model: " "$dir.log" || fail "$model: no load line: $(cat "$dir.log")"
  [ ! -s "$dir.err" ] || fail "$model: said on standard error: $(cat "$dir.err")"
  [ -f "$dir/view4-t12.png" ] && [ -f "$dir/final-t12.png" ] || { fail "$model: no captures"; continue; }
  read -r cover lit spread hue <<<"$(measure "$dir/view4-t12.png" "$dir/final-t12.png")"
  echo "$model: covers $cover of the picture, lit $lit (spread $spread), colour $hue"
  # The flight shows the whole model from outside, with room for every bearing of the orbit: a
  # spindly or thin one (the spider's legs, the coat test's panel) covers a few hundredths.
  awk -v c="$cover" -v l="$lit" -v s="$spread" -v h="$hue" 'BEGIN { exit !(c >= 0.02 && l >= 10 && s >= 5 && h >= 15) }' ||
    fail "$model: want a cover of 0.02, lit 10, spread 5 and colour 15 at least"
done

# A missing image: one line naming it on standard error, and the model is drawn all the same.
dir="$out/missing-image"
timeout 300 ./bench --scene "$scenes/missing-image/BoxTextured.gltf" --size 160x96 --frames 0 --capture 12 --view 4 \
  --capture-dir "$dir" </dev/null >/dev/null 2>"$dir.err" || fail "missing image: bench exited $?"
[ "$(cat "$dir.err")" == "Image not loaded: $scenes/missing-image/CesiumLogoFlat.png: cannot open the file" ] ||
  fail "missing image: said [$(cat "$dir.err")]"
[ -f "$dir/view4-t12.png" ] || fail "missing image: no capture"

expect_failure() {
  local expected="$1"
  shift
  set +e
  timeout 60 ./demo "$@" </dev/null >"$out/stdout" 2>"$out/stderr"
  local got=$?
  set -e
  [ "$got" -eq 1 ] || fail "demo $* exited $got, expected 1"
  [ "$(cat "$out/stdout")" == "$expected" ] || fail "demo $* printed [$(cat "$out/stdout")], expected [$expected]"
}
b="$scenes/broken"
expect_failure "Scene not loaded: $b/missing-bin/BoxTextured.gltf: GLTF: could not open referenced file \"BoxTextured0.bin\"" \
  --scene "$b/missing-bin/BoxTextured.gltf"
expect_failure "Scene not loaded: $b/index-out-of-range/IndexOutOfRange.gltf: index out of range: faces name corners their mesh does not have" \
  --scene "$b/index-out-of-range/IndexOutOfRange.gltf"
expect_failure "Scene not loaded: $b/infinite-positions/BoxWithInfinites.glb: position 0 of mesh \"Mesh\" is not finite" \
  --scene "$b/infinite-positions/BoxWithInfinites.glb"
expect_failure "Scene not loaded: $out/none.glb: no such file" --scene "$out/none.glb"
expect_failure "Scene not loaded: /dev/zero: not a regular file" --scene /dev/zero
expect_failure "you are executing './demo'
--scene needs a model file: --scene FILE" 800 600 --scene
# The size rule is unchanged beside the option: its failure comes first, with its start line.
expect_failure "you are executing './demo'
Fail in first command line!" abc 48 --scene "$b/missing-bin/BoxTextured.gltf"

[ "$failures" -eq 0 ] && echo "scenes: ok"
exit "$failures"
