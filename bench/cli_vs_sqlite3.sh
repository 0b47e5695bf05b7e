#!/usr/bin/env bash
# The tolvane command against the sqlite3 shell, side by side in one run:
# a table of ROWS rows and 6 columns (integers, reals, short and longer texts,
# NULLs, blobs) printed to /dev/null as CSV, JSON and the aligned table, and a
# start with `SELECT 1`. Each pair runs PAIRS times, interleaved; the script
# prints the median CPU time (user + system) and peak memory of each side and
# the ratios peer ÷ tolvane for time (1.0 = as fast, above = faster) and
# tolvane − peer for memory.
#
#   bench/cli_vs_sqlite3.sh [path/to/tolvane] [rows] [pairs]
#
# Use a Release build of tolvane (cmake -DCMAKE_BUILD_TYPE=Release).
set -euo pipefail

tolvane=${1:-build/release/tools/tolvane/tolvane}
rows=${2:-2000000}
pairs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset TOLVANE_KEY TOLVANE_PASSWORD

db=$work/bench.db
sqlite3 "$db" <<SQL
CREATE TABLE t(id INTEGER PRIMARY KEY, qty INTEGER, price REAL, code TEXT, note TEXT, data BLOB);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
INSERT INTO t SELECT i, i % 1000, i * 0.37, 'C' || (i % 9973),
  CASE WHEN i % 10 = 0 THEN NULL ELSE 'a note about row ' || i || ', with a comma' END,
  CASE WHEN i % 50 = 0 THEN randomblob(8) ELSE NULL END
FROM n;
SQL

# Prints "cpu_seconds peak_kb" of one command whose output goes to /dev/null.
measure() {
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
  }
  awk '{ printf "%.3f %d\n", $1 + $2, $3 }' "$work/time"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

compare() {
  local label=$1 peer_args=$2 ours_args=$3
  : >"$work/peer" && : >"$work/ours"
  for _ in $(seq "$pairs"); do
    # shellcheck disable=SC2086
    measure sqlite3 $peer_args "$db" "$sql" >>"$work/peer"
    # shellcheck disable=SC2086
    measure "$tolvane" query "$db" "$sql" $ours_args >>"$work/ours"
  done
  local peer_cpu ours_cpu peer_mem ours_mem
  peer_cpu=$(cut -d' ' -f1 "$work/peer" | median)
  ours_cpu=$(cut -d' ' -f1 "$work/ours" | median)
  peer_mem=$(cut -d' ' -f2 "$work/peer" | median)
  ours_mem=$(cut -d' ' -f2 "$work/ours" | median)
  awk -v l="$label" -v pc="$peer_cpu" -v oc="$ours_cpu" -v pm="$peer_mem" -v om="$ours_mem" 'BEGIN {
    printf "%-22s sqlite3 %7.3f s %8.1f MB   tolvane %7.3f s %8.1f MB   speed %5.2fx   memory %+7.1f MB\n",
      l, pc, pm / 1024, oc, om / 1024, (oc > 0 ? pc / oc : 0), (om - pm) / 1024 }'
}

echo "$rows rows x 6 columns, median of $pairs interleaved pairs (CPU = user + system)"
sql="SELECT * FROM t"
compare "csv" "-csv" "--csv"
compare "json" "-json" "--json"
compare "aligned table" "-column -header" "--table"
# A start is a few milliseconds, below the clock of one measurement: time
# STARTS starts in a row, interleaved the same way, and give the time of one.
starts=40
: >"$work/peer" && : >"$work/ours"
for _ in $(seq "$pairs"); do
  measure bash -c "for i in \$(seq $starts); do sqlite3 '$db' 'SELECT 1'; done" >>"$work/peer"
  measure bash -c "for i in \$(seq $starts); do '$tolvane' query '$db' 'SELECT 1' 2>/dev/null; done" >>"$work/ours"
done
peer_cpu=$(cut -d' ' -f1 "$work/peer" | median)
ours_cpu=$(cut -d' ' -f1 "$work/ours" | median)
awk -v pc="$peer_cpu" -v oc="$ours_cpu" -v n="$starts" 'BEGIN {
  printf "%-22s sqlite3 %7.2f ms               tolvane %7.2f ms               speed %5.2fx   (CPU of one start, whole process)\n",
    "start (SELECT 1)", pc * 1000 / n, oc * 1000 / n, (oc > 0 ? pc / oc : 0) }'
