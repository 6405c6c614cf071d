#!/usr/bin/env bash
# Compares the frame cost of another revision with this working tree's, measured side by side
# in one session (machines here are noisy: only ratios from one run count).
#
#   bash scripts/bench-compare.sh REV [--rounds N] [bench options]
#   e.g. bash scripts/bench-compare.sh a09f865 --size 640x384 --rounds 2
#
# REV is built in a scratch git worktree, build/compare-<commit>/ (kept, so the next comparison
# against it only rebuilds what changed); this tree is built in build/. Each round then runs
# both builds' bench with the given options (default: 1280 x 768, 60 frames from t = 20 s),
# REV first in odd rounds and this tree first in even ones, each from its own build folder
# (so each reads its own shaders), and one more run of each with one frame from t = 0 whose
# wall time, process start to exit, stands for its start-up to first frame. Printed: each
# build's median over the rounds of its median frame, of every pass's median and of the
# start-up run, and the ratio REV / this tree (above 1: this tree is faster); then the range of
# both frames and of the ratio over the rounds, with a warning when one build's rounds lie more
# than 20 % apart (the medians then say less than they seem to). Rounds: --rounds
# or BENCH_COMPARE_ROUNDS, default 3. Runs on a virtual X display when there is no DISPLAY.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  echo "usage: bash scripts/bench-compare.sh REV [--rounds N] [bench options]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
case "$1" in -h | --help) usage ;; esac

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

rev="$1"
shift
rounds="${BENCH_COMPARE_ROUNDS:-3}"
size=""
bench_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds)
      [ $# -ge 2 ] || usage
      rounds="$2"
      shift 2
      ;;
    --json | --soak | --capture | --capture-dir | --compare)
      echo "bench-compare: $1 is not a timing option" >&2
      exit 2
      ;;
    --size)
      [ $# -ge 2 ] || usage
      size="$2"
      bench_args+=("$1" "$2")
      shift 2
      ;;
    *)
      bench_args+=("$1")
      shift
      ;;
  esac
done
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "bench-compare: bad --rounds '$rounds'" >&2; exit 2; }
startup_args=(--frames 1 --warmup 0 --start 0)
[ -n "$size" ] && startup_args+=(--size "$size")

commit="$(git -C "$root" rev-parse --verify --quiet "$rev^{commit}")" ||
  { echo "bench-compare: no commit '$rev'" >&2; exit 2; }
short="$(git -C "$root" rev-parse --short "$commit")"
here="$(git -C "$root" rev-parse --short HEAD)"
[ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ] && here="$here+changes"

# ---- Builds ----------------------------------------------------------------------------
scratch="$root/build/compare-$short"
if [ ! -e "$scratch/.git" ]; then
  git -C "$root" worktree prune
  mkdir -p "$root/build"
  git -C "$root" worktree add --quiet --detach "$scratch" "$commit" ||
    { echo "bench-compare: cannot make a worktree of $short in $scratch" >&2; exit 1; }
fi
build_bench() { # source folder, cmake options
  cmake -S "$1" -B "$1/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}" >/dev/null
  nice -n 10 cmake --build "$1/build" --target bench -j "$(nproc)" >/dev/null
}
echo "bench-compare: building $short in $scratch/build and this tree in $root/build"
# The scratch tree needs no tests; this tree's build/ keeps the settings scripts/build.sh gives it.
build_bench "$scratch" -DBUILD_TESTING=OFF || { echo "bench-compare: $short does not build" >&2; exit 1; }
build_bench "$root" || { echo "bench-compare: this tree does not build" >&2; exit 1; }

# ---- Runs ------------------------------------------------------------------------------
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
labels=(old new)
folders=("$scratch/build" "$root/build")

# Appends "round<TAB>name<TAB>ms" lines to $out/<label>.tsv: every pass, the frame and, when
# the bench writes it, its own start-up measure. Reads the JSON both bench generations write
# (one pass per line).
collect() { # label round json
  awk -v round="$2" '
    /"name": / {
      match($0, /"name": "[^"]*"/); name = substr($0, RSTART + 9, RLENGTH - 10)
      match($0, /"median_ms": [-0-9.e+]+/); print round "\t" name "\t" substr($0, RSTART + 13, RLENGTH - 13)
    }
    /"frame": / {
      match($0, /"median_ms": [-0-9.e+]+/); print round "\tframe\t" substr($0, RSTART + 13, RLENGTH - 13)
    }
    /"startup_ms": / {
      match($0, /"startup_ms": [-0-9.e+]+/); print round "\tstart-up (own)\t" substr($0, RSTART + 14, RLENGTH - 14)
    }' "$3" >>"$out/$1.tsv"
}

run_bench() { # index round
  local label="${labels[$1]}" folder="${folders[$1]}" json="$out/${labels[$1]}-$2.json" start end
  if ! (cd "$folder" && ./bench "${bench_args[@]}" --json "$json" >"$out/$label-$2.log" 2>&1 </dev/null); then
    echo "bench-compare: the bench of $folder failed in round $2:" >&2
    cat "$out/$label-$2.log" >&2
    exit 1
  fi
  collect "$label" "$2" "$json"
  start="$(date +%s%N)"
  if ! (cd "$folder" && ./bench "${startup_args[@]}" >"$out/$label-$2-startup.log" 2>&1 </dev/null); then
    echo "bench-compare: the start-up run of $folder failed in round $2:" >&2
    cat "$out/$label-$2-startup.log" >&2
    exit 1
  fi
  end="$(date +%s%N)"
  printf '%s\tstart-up (wall)\t%s\n' "$2" "$(awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e6 }')" \
    >>"$out/$label.tsv"
}

echo "bench-compare: $rounds rounds, bench options: ${bench_args[*]:-(defaults)}"
for round in $(seq "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then order=(0 1); else order=(1 0); fi
  for i in "${order[@]}"; do
    run_bench "$i" "$round"
  done
  frame_old="$(awk -F '\t' -v r="$round" '$1 == r && $2 == "frame" { print $3 }' "$out/old.tsv")"
  frame_new="$(awk -F '\t' -v r="$round" '$1 == r && $2 == "frame" { print $3 }' "$out/new.tsv")"
  awk -v r="$round" -v o="$frame_old" -v n="$frame_new" -v a="$short" \
    'BEGIN { printf "  round %d: frame %s %.2f ms, this tree %.2f ms, ratio %.3f\n", r, a, o, n, (n > 0 ? o / n : 0) }'
done

# ---- Table -----------------------------------------------------------------------------
# Rows in the order this tree's bench reports them, then any that only REV reports.
echo
awk -F '\t' -v a="$short" -v b="$here" '
  function median(list,    n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; ++i)
      for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  FNR == 1 { side = (FILENAME ~ /new.tsv$/) ? "new" : "old" }
  {
    if (!(($2) in seen)) { seen[$2] = 1; order[++rows] = $2 }
    values[side, $2] = values[side, $2] " " $3
  }
  END {
    printf "%-18s %12s %12s %8s\n", "ms (median)", a, b, "ratio"
    for (i = 1; i <= rows; ++i) {
      name = order[i]
      o = ((("old", name) in values) ? median(values["old", name]) : "")
      n = ((("new", name) in values) ? median(values["new", name]) : "")
      if (name == "frame" || (name ~ /^start-up/ && !gap++)) print ""
      printf "%-18s %12s %12s %8s\n", name, (o == "" ? "-" : sprintf("%.2f", o)),
        (n == "" ? "-" : sprintf("%.2f", n)), (o != "" && n != "" && n > 0 ? sprintf("%.3f", o / n) : "-")
    }
  }' "$out/new.tsv" "$out/old.tsv"

# ---- Spread ----------------------------------------------------------------------------
# The round-to-round range of both builds' frame and of the ratio. Rounds of one build more than
# 20 % apart mean it ran at two speeds (load on the machine, or a memory layout the build falls
# into on some starts); the medians above then depend on how many rounds fell into each.
echo
awk -F '\t' -v a="$short" '
  $2 != "frame" { next }
  {
    side = (FILENAME ~ /new.tsv$/) ? "new" : "old"
    frame[side, $1] = $3
    if (!((side, "min") in range) || $3 + 0 < range[side, "min"]) range[side, "min"] = $3 + 0
    if (!((side, "max") in range) || $3 + 0 > range[side, "max"]) range[side, "max"] = $3 + 0
    if ($1 + 0 > rounds) rounds = $1 + 0
  }
  END {
    for (r = 1; r <= rounds; ++r) {
      if (!(("old", r) in frame) || !(("new", r) in frame) || frame["new", r] <= 0) continue
      q = frame["old", r] / frame["new", r]
      if (compared++ == 0) { low = q; high = q }
      if (q < low) low = q
      if (q > high) high = q
    }
    printf "frame range over the rounds: %s %.2f-%.2f ms, this tree %.2f-%.2f ms; ratio %.3f-%.3f\n",
      a, range["old", "min"], range["old", "max"], range["new", "min"], range["new", "max"], low, high
    split("old new", sides, " ")
    for (i = 1; i <= 2; ++i) {
      s = sides[i]
      if (range[s, "min"] > 0 && range[s, "max"] > 1.2 * range[s, "min"])
        printf "warning: the rounds of %s differ by %.0f%%: the machine or the build changed speed during the comparison; the medians depend on how many rounds fell on each side: run more rounds\n",
          (s == "old" ? a : "this tree"), 100 * (range[s, "max"] / range[s, "min"] - 1)
    }
  }' "$out/old.tsv" "$out/new.tsv"
echo
echo "ratio = $short / this tree: above 1 this tree is faster. start-up (wall): process start to exit of a"
echo "one-frame run from t = 0; start-up (own): the bench's own set-up + first-frame time (newer benches only)."
