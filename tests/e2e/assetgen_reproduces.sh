#!/usr/bin/env bash
# The committed models and images are exactly what the generator writes: run it into a
# scratch folder and compare every file byte for byte.
# Usage: assetgen_reproduces.sh <build dir> <source dir>
set -euo pipefail
build="$1"
source="$2"
generator="$build/assetgen"
[ -x "$generator" ] || { echo "assetgen not built at $generator"; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$generator" "$scratch" > "$scratch/log.txt" || { cat "$scratch/log.txt"; echo "assetgen failed"; exit 1; }
rm "$scratch/log.txt"

expected=(Objects/scene2.obj Objects/sphere.obj Objects/sphere-small.obj Objects/sphere-shadow.obj
          Textures/bricks3.png Textures/bricks_normal.png Textures/bricks_height.png
          Textures/sphere_diff.jpg Textures/sphere_normal.jpg 'Textures/sphere$_height.jpg'
          Textures/right.png Textures/left.png Textures/top.png Textures/bottom.png
          Textures/front.png Textures/back.png)
failed=0
for file in "${expected[@]}"; do
  [ -f "$scratch/$file" ] || { echo "generator did not write $file"; failed=1; }
done

count=0
while IFS= read -r -d '' written; do
  file="${written#"$scratch"/}"
  count=$((count + 1))
  if ! cmp -s "$written" "$source/Quarnvale/$file"; then
    echo "differs from the committed asset: Quarnvale/$file"
    failed=1
  fi
done < <(find "$scratch" -type f -print0)

[ "$count" -eq "${#expected[@]}" ] || { echo "generator wrote $count files, expected ${#expected[@]}"; failed=1; }
[ "$failed" -eq 0 ] && echo "all $count generated assets match"
exit "$failed"
