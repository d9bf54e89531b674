#!/usr/bin/env bash
# Times TELVARN against the sqlite3 shell on the same work, statement by
# statement in both, in processor time, and prints the ratios:
#   1. 10,000 "sql" INSERT lines into one table (best of three);
#   2. 2,000 "add" field lines spread over a database of 500 tables;
#   3. peak memory of the program for a script of 5,000 and of 20,000 lines.
# Usage: bench/run-bench.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/TELVARN" "$work/"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

# Processor time (user + system) of a command: the machine is shared, and
# its other work would swell the wall-clock time of either side.
seconds() { /usr/bin/time -f '%U + %S' -o "$work/time" "$@" >/dev/null 2>&1 || true; bc <<< "$(tail -1 "$work/time")"; }
fresh() { rm -f "$work"/ZulData.mdb "$work"/ZulSupt.mdb "$work"/ErrorLog.txt; "$build/telvarn-createdb" "$work/ZulData.mdb" "$work/ZulSupt.mdb"; }
ratio() { echo "scale=2; $1 / $2" | bc; }

# 1. Inserts, with a Date/Time and a Currency value in each row (the shell
# writes them as the file keeps them: the day number, ten-thousandths);
# best of three runs of each side, taking turns.
fresh
printf 'add;ZulData.mdb;T (ID LONG, Name TEXT(50), Amount DOUBLE, Due DATETIME, Price CURRENCY);\r\n' > "$work/TELVARN.ini"
(cd "$work" && ./TELVARN --batch >/dev/null)
cp "$work/ZulData.mdb" "$work/empty.mdb"
for i in $(seq 1 10000); do
  printf "sql;ZulData.mdb;INSERT INTO T (ID, Name, Amount, Due, Price) VALUES (%d, 'name %d', %d.5, #3/14/2024#, 12.5)\r\n" "$i" "$i" "$i"
done > "$work/TELVARN.ini"
for i in $(seq 1 10000); do
  printf "INSERT INTO T (ID, Name, Amount, Due, Price) VALUES (%d, 'name %d', %d.5, 45365, 125000);\n" "$i" "$i" "$i"
done > "$work/inserts.sql"
ours=1000; shell=1000
for run in 1 2 3; do
  cp "$work/empty.mdb" "$work/ZulData.mdb"; cp "$work/empty.mdb" "$work/shell.mdb"; rm -f "$work/ErrorLog.txt"
  t=$(cd "$work" && seconds ./TELVARN --batch); ours=$(bc <<< "if ($t < $ours) $t else $ours")
  t=$(seconds sh -c "sqlite3 '$work/shell.mdb' < '$work/inserts.sql'"); shell=$(bc <<< "if ($t < $shell) $t else $shell")
done
echo "inserts: TELVARN ${ours}s, sqlite3 shell ${shell}s, ratio $(ratio "$ours" "$shell")"

# 2. Fields added across 500 tables.
fresh
for t in $(seq 1 500); do printf 'add;ZulData.mdb;T%d (ID LONG);\r\n' "$t"; done > "$work/TELVARN.ini"
(cd "$work" && ./TELVARN --batch >/dev/null)
cp "$work/ZulData.mdb" "$work/shell.mdb"
for i in $(seq 1 2000); do
  printf 'add;ZulData.mdb;T%d;F%d;10;50;0;\r\n' "$(( (i % 500) + 1 ))" "$i"
done > "$work/TELVARN.ini"
for i in $(seq 1 2000); do
  printf 'ALTER TABLE "T%d" ADD COLUMN "F%d" TEXT COLLATE NOCASE;\n' "$(( (i % 500) + 1 ))" "$i"
done > "$work/fields.sql"
ours=$(cd "$work" && seconds ./TELVARN --batch)
shell=$(seconds sh -c "sqlite3 '$work/shell.mdb' < '$work/fields.sql'")
echo "fields: TELVARN ${ours}s, sqlite3 shell ${shell}s, ratio $(ratio "$ours" "$shell")"

# 3. Memory as the script grows.
for lines in 5000 20000; do
  fresh
  { printf 'add;ZulData.mdb;M (ID LONG);\r\n'
    for i in $(seq 1 "$lines"); do printf "sql;ZulData.mdb;UPDATE M SET ID = %d WHERE ID = 0\r\n" "$i"; done
  } > "$work/TELVARN.ini"
  kb=$(cd "$work" && /usr/bin/time -f %M ./TELVARN --batch 2>&1 >/dev/null | tail -1)
  echo "memory: $lines lines, peak ${kb} KB"
done
