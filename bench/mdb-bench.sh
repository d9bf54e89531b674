#!/usr/bin/env bash
# Times reading every row of the corpus's largest tables with TELVARN
# --export against mdb-export on the same files, each repeated so that the
# programs' start-up does not hide the reading, and prints the ratio; then
# TELVARN's peak memory on the smallest and the largest file of the corpus.
# Usage: bench/mdb-bench.sh [build folder] [repeats]   (defaults: build, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
repeats=${2:-20}
corpus=../shared/mdb-corpus
[ -d "$corpus" ] || { echo "mdb-bench: no corpus at $corpus" >&2; exit 1; }
northwind="$corpus/Northwind_Access2000.mdb"
tables=("$northwind:Order Details" "$northwind:Orders" "$northwind:Customers"
        "$corpus/compIndexTestV2000.mdb:Table1" "$corpus/test2V2000.mdb:MSP_PROJECTS"
        "$corpus/testV2000.mdb:Table1")

timeAll() {
  local start=$(date +%s.%N) entry
  for ((i = 0; i < repeats; i++)); do
    for entry in "${tables[@]}"; do "$@" "${entry%%:*}" "${entry#*:}" > /dev/null; done
  done
  echo "$(date +%s.%N) - $start" | bc
}

ours=$(timeAll "$build/TELVARN" --export)
theirs=$(timeAll mdb-export)
echo "export of ${#tables[@]} tables x $repeats: TELVARN ${ours}s, mdb-export ${theirs}s," \
     "ratio $(echo "scale=2; $ours / $theirs" | bc)"

for file in "$corpus/accessLike.mdb:t_like2" "$corpus/testV2000.mdb:Table1" \
            "$northwind:Order Details"; do
  path=${file%%:*}
  kb=$(/usr/bin/time -f %M "$build/TELVARN" --export "$path" "${file#*:}" 2>&1 >/dev/null | tail -1)
  echo "memory: $(basename "$path") ($(stat -c %s "$path") bytes), peak ${kb} KB"
done
