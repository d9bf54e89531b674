#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for SECONDS (default 30) from
# its seed corpus in fuzz/corpus/<name>/. A crash, a sanitizer report or a
# hang (an input running over 10 seconds) fails the run.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTELVARN_FUZZ=ON >/dev/null
targets=$(for f in fuzz/*Fuzz.cpp; do basename "$f" .cpp; done)
ninja -C build-fuzz -j2 $targets
# The parser's seeds are the statements of the dialect's test corpus, one a file.
parserSeeds() {
  local n=0 line
  for file in tests/engine/jetsql/corpus/*.jet; do
    while IFS= read -r line; do
      case "$line" in
        '>'*) line="${line#>}" ;;
        '!'*) line="${line#* }" ;;
        *) continue ;;
      esac
      n=$((n + 1))
      printf '%s' "${line# }" > "$1/seed-$n"
    done < "$file"
  done
}

for target in $targets; do
  seeds="fuzz/corpus/$(echo "${target%Fuzz}" | tr '[:upper:]' '[:lower:]')"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  [ "$target" = ParserFuzz ] && parserSeeds "$work"
  options=()
  if [ "$target" = MdbFuzz ]; then
    # The desktop program's own small files, from the corpus beside the
    # repository when it is there; they are copied to a scratch folder, never
    # into the repository.
    for file in ../shared/mdb-corpus/*.mdb; do
      [ -f "$file" ] && [ "$(stat -c %s "$file")" -le 200000 ] && cp "$file" "$work"/
    done
    options=(-max_len=200000)
  fi
  if [ "$target" = MdbStatementFuzz ]; then
    # Statements run on copies of one corpus file with enforced relationships.
    file=../shared/mdb-corpus/indexTestV2000.mdb
    if [ ! -f "$file" ]; then
      echo "fuzz: $target skipped: no corpus at ../shared/mdb-corpus"
      continue
    fi
    export TELVARN_FUZZ_MDB=$(realpath "$file")
    options=(-max_len=2000)
  fi
  log=$(mktemp)
  if ! build-fuzz/fuzz/"$target" "$work" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" > "$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz: $target failed; the input is in $(pwd)" >&2
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  echo "fuzz: $target ran $runs inputs in ${seconds}s: no crash, no sanitizer report, no hang"
  rm -rf "$work" "$log"
done
