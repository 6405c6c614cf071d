#!/usr/bin/env bash
# Fuzzes every target in tests/fuzz for SECONDS each (default 60), two at a time, built with clang,
# libFuzzer and the address and undefined-behaviour sanitizers in build-fuzz/. Inputs that reach
# new code are merged into tests/fuzz/corpus/<target>/ (commit them); a crash or broken invariant
# is saved under build-fuzz/findings/ and makes the script fail. The summary (executions per
# second, total executions, new corpus entries) is printed and kept in build-fuzz/summary.txt.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2; }

bash "$root/scripts/setup.sh"
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-dev 2>/dev/null | grep -q "ok installed"; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DDEMO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target obj_fuzz image_fuzz args_fuzz scene_fuzz >/dev/null

data="$root/tests/data"
seeds_obj=("$data/obj")
seeds_image=("$data/png" "$data/jpeg" "$data/bmp")
seeds_args=()
scenes="$data/scenes"
seeds_scene=("$scenes/box-glb" "$scenes/spider" "$scenes/broken/index-out-of-range" "$scenes/broken/infinite-positions")
options_obj=(-max_len=4096 -dict="$root/tests/fuzz/obj.dict")
options_image=(-max_len=65536)
options_args=(-max_len=4096)
# Model files are larger; assimp allocates what a header claims, so memory is held to the limit below.
options_scene=(-max_len=65536)

# The OBJ target writes each input to a scratch file: in memory that is five times faster.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
work="$build/run"
rm -rf "$work"
mkdir -p "$work" "$build/findings"

fuzz_one() {
  local name="$1" seeds_var="seeds_$1[@]" options_var="options_$1[@]"
  mkdir -p "$work/$name-new"
  (cd "$work" && "$build/${name}_fuzz" "${!options_var}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
    "$work/$name-new" "$root/tests/fuzz/corpus/$name" "${!seeds_var}") >"$work/$name.log" 2>&1
}

targets=(obj image args scene)
declare -A status
running=()
for name in "${targets[@]}"; do
  if [ ${#running[@]} -ge 2 ]; then
    wait "${running[0]}" || true
    running=("${running[@]:1}")
  fi
  echo "fuzzing $name for $seconds s"
  fuzz_one "$name" &
  running+=($!)
  eval "pid_$name=$!"
done
failed=0
for name in "${targets[@]}"; do
  pid_var="pid_$name"
  if wait "${!pid_var}"; then status[$name]=0; else status[$name]=$?; failed=1; fi
done

# Merge: only inputs that add coverage to the kept corpus and the seeds go into the repository.
summary="$build/summary.txt"
: >"$summary"
for name in "${targets[@]}"; do
  seeds_var="seeds_$name[@]"
  base="$work/$name-base"
  mkdir -p "$base"
  cp "$root/tests/fuzz/corpus/$name/"* "$base/" 2>/dev/null || true
  for dir in "${!seeds_var}"; do cp "$dir"/* "$base/"; done
  ls "$base" | sort >"$work/$name-before"
  "$build/${name}_fuzz" -merge=1 "$base" "$work/$name-new" >"$work/$name-merge.log" 2>&1 || true
  added=0
  while read -r file; do
    cp "$base/$file" "$root/tests/fuzz/corpus/$name/$file"
    added=$((added + 1))
  done < <(ls "$base" | sort | comm -13 "$work/$name-before" -)
  execs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$' || echo '?')"
  rate="$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$' || echo '?')"
  result="clean"
  [ "${status[$name]}" -ne 0 ] && result="FINDING (status ${status[$name]}, see $work/$name.log)"
  echo "$name: ${rate} exec/s, ${execs} executions in ${seconds} s, ${added} new corpus entries, $result" |
    tee -a "$summary"
done
ls "$build/findings" | sed 's/^/finding: /'
exit "$failed"
