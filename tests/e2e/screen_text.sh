#!/usr/bin/env bash
# Text over text, on the real demo at 640 x 384 with the scene paused (so two pictures of the
# same view differ only by what is drawn over them):
# - the shadow view (6) with the timing overlay (F1): the overlay shows, and the "+X" label in the
#   top-left corner of the first cell (32, 0 at this size) stays as it was without the overlay;
# - the settings panel open (F2) and the composite's shader broken: the failure's message is
#   shown at the top of the panel, and nothing of it is drawn beside the panel (right of its
#   330-pixel width from x = 10), where the picture stays as it was before the failure.
# Keys go in with no pauses; each check waits (within a bound) for the frame that shows it.
# Needs an X display (DISPLAY).
set -uo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
source "$(dirname "$0")/common.bash"
out="$(mktemp -d)"
cp -r "$source_dir/Quarnvale" "$out/Quarnvale"
mkdir "$out/build"
composite="$out/Quarnvale/Shader/texture.frag"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$out"' EXIT
cd "$out/build"

shot() { import -window "$id" "$out/$1.png"; }
# Pixels of pictures $1 and $2 that differ by more than 3 %, in region $3 (WxH+X+Y).
changed() {
  convert "$out/$1.png" -crop "$3" +repage "$out/ca.png"
  convert "$out/$2.png" -crop "$3" +repage "$out/cb.png"
  compare -metric AE -fuzz 3% "$out/ca.png" "$out/cb.png" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}
# Takes screenshot $1 until command $2 (given the picture's name) passes, for at most 20 s.
until_shown() {
  local deadline=$(($(date +%s) + 20))
  while :; do
    shot "$1"
    $2 "$1" && return 0
    (($(date +%s) >= deadline)) && return 1
    sleep 0.2
  done
}

"$build/demo" 640 384 </dev/null >"$out/stdout" 2>"$out/stderr" &
pid=$!
id="$(demo_window "$pid")"
[ -n "$id" ] || { echo "FAIL: no Demo window"; exit 1; }
sleep 2

# The shadow view, still: its pictures settle once the pause and the view have taken. At this
# size its cells leave a black band 32 pixels wide at the left, where the final picture has none.
xdotool key --window "$id" p 6
mean() { convert "$out/$1.png" -crop "$2" +repage -colorspace gray -format '%[fx:int(1000*mean)]' info:; }
settled() { [ -f "$out/prev.png" ] && [ "$(changed prev "$1" 640x384+0+0)" -lt 20 ] || { cp "$out/$1.png" "$out/prev.png"; false; }; }
shadow_view() { [ "$(mean "$1" 30x384+0+0)" -eq 0 ] && [ "$(mean "$1" 300x300+200+50)" -gt 100 ] && settled "$1"; }
until_shown labels shadow_view || fail "the shadow view did not show, or did not hold still"
overlay_shown() { [ "$(changed labels "$1" 640x384+0+0)" -gt 2000 ]; }
xdotool key --window "$id" F1
until_shown overlay overlay_shown || fail "F1 showed no overlay over the shadow view"
n="$(changed labels overlay 24x22+32+0)"
[ "$n" -lt 5 ] || fail "the overlay covers the shadow view's +X label ($n pixels of its box changed)"
xdotool key --window "$id" F1 1
rm -f "$out/prev.png"

# The panel open over the final picture, then a compile error in the composite.
xdotool key --window "$id" F2
final_with_panel() { [ "$(mean "$1" 30x384+0+0)" -gt 0 ] && settled "$1"; }
until_shown before final_with_panel || fail "the final picture with the panel open did not hold still"
printf '#version 330 core\nout vec4 fragColor;\nvoid main() {\n    fragColor = undefinedColour;\n}\n' >"$composite"
deadline=$(($(date +%s) + 20))
until grep -qF "../Quarnvale/Shader/texture.frag:4(" "$out/stdout"; do
  (($(date +%s) >= deadline)) && break
  sleep 0.1
done
grep -qF "../Quarnvale/Shader/texture.frag:4(" "$out/stdout" || fail "no compiler line for the broken composite"
# The panel makes room for the message at its top: its lower part moves.
message_in_panel() { [ "$(changed before "$1" 330x300+10+10)" -gt 300 ]; }
until_shown broken message_in_panel || fail "the panel did not show the failure"
n="$(changed before broken 290x384+350+0)"
[ "$n" -lt 20 ] || fail "the failure's message sticks out beside the open panel ($n pixels changed right of it)"

escape_ends_cleanly "$pid" "$id" 30 "after the text checks"
pid=""

[ "$failures" -eq 0 ] && echo "screen_text: all passed"
exit $((failures > 0))
