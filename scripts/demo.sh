#!/usr/bin/env bash
# Installs what TELVARN needs, builds it with the demo beside it (the script
# demo/TELVARN.ini and two fresh databases) and runs it: in its window when
# there is a display, on the console otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f build/ZulData.mdb build/ZulSupt.mdb
ninja -C build -j2 TELVARN demo
cd build
status=0
./TELVARN "$@" || status=$?
echo "--- exit status $status; the log is build/ErrorLog.txt; the databases:"
for db in ZulData.mdb ZulSupt.mdb; do
  echo "--- $db"
  ./TELVARN --schema "$db"
done
