#!/usr/bin/env bash
# Times schema changes on a table of many rows against the sqlite3 shell
# doing the equivalent work on a copy of the same file, and prints ratios:
#   1. a column's type changed (Long to Text(20)): TELVARN's "chg" line
#      against the shell's table rebuild in one transaction;
#   2. a primary key on an existing field ("idx" with Primary True) against
#      CREATE UNIQUE INDEX;
#   3. a plain index against CREATE INDEX;
# then TELVARN's peak memory for the type change at a quarter of the rows.
# Usage: bench/schema-bench.sh [build folder] [rows]   (defaults: build, 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
rows=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/TELVARN" "$work/"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

seconds() { local start=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; echo "$(date +%s.%N) - $start" | bc; }
ratio() { echo "scale=2; $1 / $2" | bc; }

# A table of $1 rows, made by TELVARN and filled by SQLite directly.
prepare() {
  rm -f "$work"/ZulData.mdb "$work"/ZulSupt.mdb "$work"/ErrorLog.txt
  "$build/telvarn-createdb" "$work/ZulData.mdb" "$work/ZulSupt.mdb"
  printf 'add;ZulData.mdb;T (ID LONG, Code LONG, Name TEXT(50));\r\n' > "$work/TELVARN.ini"
  (cd "$work" && ./TELVARN --batch >/dev/null)
  sqlite3 "$work/ZulData.mdb" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n
    WHERE i < $1) INSERT INTO T (ID, Code, Name) SELECT i, i % 1000, 'name ' || i FROM n;"
  cp "$work/ZulData.mdb" "$work/shell.mdb"
}

compare() {
  local label=$1 line=$2 sql=$3
  prepare "$rows"
  printf '%s\r\n' "$line" > "$work/TELVARN.ini"
  local ours shell
  ours=$(cd "$work" && seconds ./TELVARN --batch)
  grep -q ' - ' "$work/ErrorLog.txt" && { echo "$label: TELVARN reported an error"; cat "$work/ErrorLog.txt"; }
  shell=$(seconds sqlite3 "$work/shell.mdb" "$sql")
  echo "$label ($rows rows): TELVARN ${ours}s, sqlite3 shell ${shell}s, ratio $(ratio "$ours" "$shell")"
}

compare "type change" "chg;ZulData.mdb;T;Code;;0;0;10;20" \
  'BEGIN; CREATE TABLE "T.rebuild" ("ID" INTEGER, "Code" TEXT COLLATE NOCASE,
   "Name" TEXT COLLATE NOCASE); INSERT INTO "T.rebuild" (rowid, ID, Code, Name)
   SELECT rowid, ID, CAST(Code AS TEXT), Name FROM T; DROP TABLE T;
   ALTER TABLE "T.rebuild" RENAME TO T; COMMIT;'
compare "primary key" "idx;ZulData.mdb;T;ID;0;0;PrimaryKey;True;True;True" \
  'CREATE UNIQUE INDEX "T.PrimaryKey" ON T (ID);'
compare "index" "idx;ZulData.mdb;T;Name;0;0;ByName;False;False;False" \
  'CREATE INDEX "T.ByName" ON T (Name);'

for count in $((rows / 4)) "$rows"; do
  prepare "$count"
  printf 'chg;ZulData.mdb;T;Code;;0;0;10;20\r\n' > "$work/TELVARN.ini"
  kb=$(cd "$work" && /usr/bin/time -f %M ./TELVARN --batch 2>&1 >/dev/null | tail -1)
  echo "memory: type change of $count rows, peak ${kb} KB"
done
