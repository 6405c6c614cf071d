#!/usr/bin/env bash
# Measures what each setting costs: runs this tree's bench once per setting list, all of them in
# every round (the order rotating from round to round, so a slow stretch of the shared machine
# does not fall on one list), and prints a Markdown table of each list's median frame and pass
# times over the rounds, with the frame's ratio to the first list. Writes every run's JSON into
# OUT (default build/settings-cost/), NAME-ROUND.json, for plotting.
#
#   bash scripts/bench-settings.sh [--rounds N] [--out DIR] [bench options] -- LIST...
#   e.g. bash scripts/bench-settings.sh --size 1280x720 --rounds 5 -- defaults shadows=off bloom=off
#
# A LIST is what --set takes (name=value,...), or "defaults". Bench options default to 60 frames
# from t = 20 s at the bench's default size. Runs on a virtual X display when there is no DISPLAY.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
usage() {
  echo "usage: bash scripts/bench-settings.sh [--rounds N] [--out DIR] [bench options] -- LIST..." >&2
  exit 2
}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

rounds=3
out="$root/build/settings-cost"
bench_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case "$1" in
    --rounds) [ $# -ge 2 ] || usage; rounds="$2"; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out="$2"; shift 2 ;;
    --set | --json | --soak | --capture | --capture-dir | --compare)
      echo "bench-settings: $1 is not a timing option here" >&2; exit 2 ;;
    *) bench_args+=("$1"); shift ;;
  esac
done
[ $# -ge 2 ] || usage
shift
lists=("$@")
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "bench-settings: bad --rounds '$rounds'" >&2; exit 2; }

bash "$root/scripts/build.sh" >/dev/null
mkdir -p "$out"
out="$(cd "$out" && pwd)" # the bench runs from build/
tsv="$out/times.tsv"
: >"$tsv"
for round in $(seq "$rounds"); do
  for k in $(seq 0 $((${#lists[@]} - 1))); do
    i=$(((k + round - 1) % ${#lists[@]}))
    list="${lists[$i]}"
    set_args=()
    [ "$list" = defaults ] || set_args=(--set "$list")
    json="$out/$(echo "$list" | tr ',=' '_-')-$round.json"
    if ! (cd "$root/build" && ./bench "${bench_args[@]}" "${set_args[@]}" --json "$json" >"$json.log" 2>&1 </dev/null); then
      echo "bench-settings: the bench failed for '$list' in round $round:" >&2
      cat "$json.log" >&2
      exit 1
    fi
    # One "list<TAB>name<TAB>ms" line per pass and for the frame (the JSON has one pass a line).
    awk -v list="$i" '
      /"name": / {
        match($0, /"name": "[^"]*"/); name = substr($0, RSTART + 9, RLENGTH - 10)
        match($0, /"median_ms": [-0-9.e+]+/); print list "\t" name "\t" substr($0, RSTART + 13, RLENGTH - 13)
      }
      /"frame": / { match($0, /"median_ms": [-0-9.e+]+/); print list "\tframe\t" substr($0, RSTART + 13, RLENGTH - 13) }
    ' "$json" >>"$tsv"
  done
  echo "bench-settings: round $round of $rounds done" >&2
done

# Columns: the passes in the order the first list's bench reports them (any others after), then
# the frame; one row per list, medians over the rounds; "-" for a pass that list does not run.
awk -F '\t' -v names="$(printf '%s\n' "${lists[@]}")" '
  function median(list,    n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; ++i)
      for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  {
    if ($2 != "frame" && !(($2) in seen)) { seen[$2] = 1; order[++columns] = $2 }
    values[$1, $2] = values[$1, $2] " " $3
    if ($1 + 1 > rows) rows = $1 + 1
  }
  END {
    split(names, label, "\n")
    header = "| settings |"; rule = "|---|"
    for (c = 1; c <= columns; ++c) { header = header " " order[c] " |"; rule = rule "---:|" }
    print header " frame | vs " label[1] " |"
    print rule "---:|---:|"
    base = median(values[0, "frame"])
    for (r = 0; r < rows; ++r) {
      line = "| " label[r + 1] " |"
      for (c = 1; c <= columns; ++c)
        line = line " " (((r, order[c]) in values) ? sprintf("%.1f", median(values[r, order[c]])) : "-") " |"
      frame = median(values[r, "frame"])
      print line " " sprintf("%.1f", frame) " | " sprintf("%.2f", frame / base) " |"
    }
  }' "$tsv"
