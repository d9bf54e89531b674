#!/usr/bin/env bash
# The cost of a line as the catalog grows: a script that creates N tables
# and adds a field to each (2N lines), run by TELVARN and the same statements
# run by the sqlite3 shell, both committing every statement on its own.
# Prints both times and their ratio, as elapsed time and as processor time
# (user and system), which a busy machine disturbs less.
# Usage: bench/catalog-bench.sh [build folder] [tables]   (defaults: build, 4000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
tables=${2:-4000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/TELVARN" "$work/"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

# "elapsed processor" seconds of a command.
seconds() { /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>&1 || true
            awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/time"; }
ratio() { echo "scale=2; $1 / $2" | bc; }

"$build/telvarn-createdb" "$work/ZulData.mdb" "$work/ZulSupt.mdb"
cp "$work/ZulData.mdb" "$work/shell.mdb"
{ for t in $(seq 1 "$tables"); do printf 'add;ZulData.mdb;T%d (ID LONG);\r\n' "$t"; done
  for t in $(seq 1 "$tables"); do printf 'add;ZulData.mdb;T%d;F;10;50;0;\r\n' "$t"; done
} > "$work/TELVARN.ini"
{ for t in $(seq 1 "$tables"); do printf 'CREATE TABLE "T%d" ("ID" INTEGER);\n' "$t"; done
  for t in $(seq 1 "$tables"); do printf 'ALTER TABLE "T%d" ADD COLUMN "F" TEXT COLLATE NOCASE;\n' "$t"; done
} > "$work/catalog.sql"

read -r ours oursCpu < <(cd "$work" && seconds ./TELVARN --batch)
grep -q ' - ' "$work/ErrorLog.txt" 2>/dev/null && { echo "TELVARN reported an error"; head "$work/ErrorLog.txt"; }
read -r shell shellCpu < <(seconds sh -c "sqlite3 '$work/shell.mdb' < '$work/catalog.sql'")
echo "catalog ($tables tables, $((2 * tables)) lines): TELVARN ${ours}s (processor ${oursCpu}s)," \
     "sqlite3 shell ${shell}s (processor ${shellCpu}s), ratio $(ratio "$ours" "$shell")" \
     "(processor $(ratio "$oursCpu" "$shellCpu"))"
