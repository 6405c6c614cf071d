#!/usr/bin/env bash
# Frame and pass times against the light count, measured in one session: each round runs the
# bench once per count (the order turns from round to round, so a change in the machine's load
# spreads over all counts), then the medians over the rounds go to one JSON file and a plot.
#
#   bash scripts/light-sweep.sh [--rounds N] [--counts "0 50 100 250 500 1000"] [--out DIR]
#                               [--summary-only] [bench options]
#   e.g. bash scripts/light-sweep.sh --rounds 5 --size 1280x720 --start 20
#
# Bench options default to --size 1280x720 --start 20 --frames 30. Writes, in DIR (default
# build/light-sweep): lights-<N>-round-<R>.json (each run), light-sweep.json (per count: the
# median over the rounds of the frame's and of every pass's median, and the rounds' frame
# range), light-sweep.dat (the same as columns, under a header line) and, when gnuplot is installed (Debian package
# gnuplot-nox), light-sweep.png. --summary-only makes the summary and plot again from the runs
# already in DIR. Runs on a virtual X display when there is no DISPLAY.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  echo "usage: bash scripts/light-sweep.sh [--rounds N] [--counts \"N1 N2 ...\"] [--out DIR] [bench options]" >&2
  exit 2
}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

rounds=3
summary_only=0
counts=(0 50 100 250 500 1000)
out="$root/build/light-sweep"
bench_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) [ $# -ge 2 ] || usage; rounds="$2"; shift 2 ;;
    --counts) [ $# -ge 2 ] || usage; read -r -a counts <<<"$2"; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out="$2"; shift 2 ;;
    --summary-only) summary_only=1; shift ;;
    --json | --soak | --capture | --capture-dir | --compare | --set)
      echo "light-sweep: $1 is set by the sweep itself" >&2
      exit 2
      ;;
    -h | --help) usage ;;
    *) bench_args+=("$1"); shift ;;
  esac
done
has() { local flag="$1"; for a in "${bench_args[@]}"; do [ "$a" = "$flag" ] && return 0; done; return 1; }
has --size || bench_args+=(--size 1280x720)
has --start || bench_args+=(--start 20)
has --frames || bench_args+=(--frames 30)

[ -x "$root/build/bench" ] || bash "$root/scripts/build.sh" >/dev/null
mkdir -p "$out"
n=${#counts[@]}
for ((r = 1; r <= rounds && !summary_only; r++)); do
  for ((k = 0; k < n; k++)); do
    # Round r starts at a different count and runs the other way every second round.
    i=$(((r - 1 + k) % n))
    [ $((r % 2)) -eq 0 ] && i=$(((n - 1 - i + n) % n))
    lights="${counts[$i]}"
    json="$out/lights-$lights-round-$r.json"
    echo "round $r/$rounds: $lights lights"
    (cd "$root/build" && ./bench "${bench_args[@]}" --set "lights=$lights" --json "$json" >/dev/null)
  done
done

# Medians over the rounds. Each run's JSON has one pass per line and the frame on its own line.
summary="$out/light-sweep.json"
table="$out/light-sweep.dat"
awk -v rounds="$rounds" -v counts="${counts[*]}" -v dir="$out" -v table="$table" '
  function median(list,    v, m, i, j, t) {
    m = split(list, v, " ")
    for (i = 2; i <= m; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
  }
  BEGIN {
    nc = split(counts, count, " ")
    printf "{\n  \"rounds\": %d,\n  \"counts\": [\n", rounds
    for (c = 1; c <= nc; c++) {
      delete times; delete order; np = 0; frames = ""; low = 1e30; high = 0
      for (r = 1; r <= rounds; r++) {
        file = dir "/lights-" count[c] "-round-" r ".json"
        while ((getline line < file) > 0) {
          if (match(line, /"name": "[^"]*", "median_ms": [0-9.e+-]+/)) {
            split(substr(line, RSTART, RLENGTH), f, "\"")
            name = f[4]; value = substr(line, RSTART, RLENGTH); sub(/.*"median_ms": /, "", value)
            if (!(name in times)) order[++np] = name
            times[name] = times[name] " " value
          } else if (match(line, /"frame": \{"median_ms": [0-9.e+-]+/)) {
            value = substr(line, RSTART, RLENGTH); sub(/.*"median_ms": /, "", value)
            frames = frames " " value
            if (value + 0 < low) low = value + 0
            if (value + 0 > high) high = value + 0
          }
        }
        close(file)
      }
      printf "    {\"lights\": %d, \"frame_ms\": %.2f, \"frame_range_ms\": [%.2f, %.2f], \"passes\": {", count[c], median(frames), low, high
      row = count[c] " " median(frames)
      header = "lights frame"
      for (p = 1; p <= np; p++) {
        printf "%s\"%s\": %.2f", (p > 1 ? ", " : ""), order[p], median(times[order[p]])
        row = row " " median(times[order[p]])
        label = order[p]; gsub(/ /, "_", label); header = header " " label
      }
      printf "}}%s\n", (c < nc ? "," : "")
      if (c == 1) print header > table
      print row > table
    }
    printf "  ]\n}\n"
  }' >"$summary"
echo "wrote $summary and $table"

if command -v gnuplot >/dev/null; then
  gnuplot <<EOF
set terminal pngcairo size 900,540 font ",11"
set output "$out/light-sweep.png"
set title "Frame and passes against the light count (median ms, ${bench_args[*]})"
set xlabel "coloured lights"
set ylabel "ms"
set key outside right autotitle columnhead
set grid
set yrange [0:*]
plot for [col in "2 4 5 6 7 11"] "$table" using 1:int(col) with linespoints
EOF
  echo "wrote $out/light-sweep.png"
else
  echo "gnuplot not installed (apt-get install gnuplot-nox): no plot"
fi
