#!/usr/bin/env bash
# The target views against the bench's own captures of the same targets at the same flight
# time: each view the window shows (keys 2-9, or --view N) must be its target passed through
# the display mapping, and view 1 the final picture itself. Tolerances: the G-buffer, lit,
# bright and blur views may differ from the capture by one 8-bit step (GL's and the capture's
# rounding); the shadow faces are resampled from 1024 texels a side to the window's cells, so
# up to 3 % of their pixels may land on a neighbouring texel. The layout of the shadow faces for
# every window shape is a unit test (TargetView). Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source "$(dirname "$0")/common.bash"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cd "$build"

size=320x192
t=20
./bench --size $size --frames 0 --capture $t --intermediates --capture-dir "$dir" >/dev/null 2>&1 ||
  fail "bench with intermediates failed"
for view in 1 2 3 4 5 6 7 8 9; do
  ./bench --size $size --frames 0 --capture $t --view $view --capture-dir "$dir/v$view" >"$dir/v$view.log" 2>&1 ||
    fail "bench --view $view failed: $(tail -n 2 "$dir/v$view.log")"
done

# Pixels differing by more than one 8-bit step (the fuzz is a share of the full range).
differing() { compare -metric AE -fuzz 0.5% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
expect_same() {
  local view="$1" expected="$2" n
  n="$(differing "$dir/v$view/view$view-t$t.png" "$expected")"
  [ "$n" == "0" ] || fail "view $view differs from its capture in $n pixels"
}

cmp -s "$dir/v1/final-t$t.png" "$dir/final-t$t.png" || fail "view 1 is not the final picture"
expect_same 2 "$dir/t$t-gposition.png"
expect_same 3 "$dir/t$t-gnormal.png"
expect_same 4 "$dir/t$t-gcolor.png"
expect_same 5 "$dir/t$t-gspecular.png"
expect_same 7 "$dir/t$t-lit.png"
expect_same 8 "$dir/t$t-bright.png"
convert "$dir/t$t-blur.png" -filter point -resize 200% "$dir/blur-doubled.png"
expect_same 9 "$dir/blur-doubled.png"

# The shadow faces: near is bright in the view (the capture has near black), each face in a
# square cell of the grid that gives the largest cells: at 320 x 192 three by two cells of 96,
# +X -X +Y on top, -Y +Z -Z below, centred, black around them. The four side faces stand
# upright, so each is its capture (the texture's rows as GL stores them, which puts the up
# direction at the bottom) turned half round; the top and bottom faces are as captured. Each
# cell's top-left corner carries its label (a 20 x 19 box at this size), masked out of the
# comparison and checked to be there.
w=${size%x*}
h=${size#*x}
cell=96
for face in 0 1 2 3 4 5; do
  turn=180
  [ $face -eq 2 ] || [ $face -eq 3 ] && turn=0
  convert "$dir/t$t-shadow$face.png" -negate -rotate $turn -filter point -resize "${cell}x${cell}!" "$dir/face$face.png"
done
convert \( "$dir"/face[0-2].png +append \) \( "$dir"/face[3-5].png +append \) -append \
  -background black -gravity center -extent "${w}x${h}" "$dir/faces.png"
labels=()
for face in 0 1 2 3 4 5; do
  x=$((16 + face % 3 * cell))
  y=$((face / 3 * cell))
  labels+=(-draw "rectangle $x,$y $((x + 19)),$((y + 18))")
  convert "$dir/v6/view6-t$t.png" "$dir/faces.png" -crop "20x19+$x+$y" +repage "$dir/label$face-%d.png"
  n="$(compare -metric AE -fuzz 10% "$dir/label$face-0.png" "$dir/label$face-1.png" null: 2>&1 | cut -d' ' -f1)"
  [ "${n%.*}" -ge 60 ] 2>/dev/null || fail "the shadow view's face $face has no label ($n pixels differ in its corner)"
done
convert "$dir/v6/view6-t$t.png" -fill black "${labels[@]}" "$dir/view6-masked.png"
convert "$dir/faces.png" -fill black "${labels[@]}" "$dir/faces-masked.png"
n="$(compare -metric AE -fuzz 1% "$dir/view6-masked.png" "$dir/faces-masked.png" null: 2>&1 | cut -d' ' -f1)"
limit=$((w * h * 3 / 100))
[ "${n%.*}" -le "$limit" ] 2>/dev/null || fail "the shadow view differs from the unfolded faces in $n pixels (at most $limit)"

[ "$failures" -eq 0 ] && echo "target views: all cases passed"
exit $((failures > 0))
