#!/usr/bin/env bash
# Installs what is missing, builds the program and its package, starts the local servers, runs
# every test, stops the servers.
set -euo pipefail
cd "$(dirname "$0")"
TOP=$(pwd)
scripts/deps.sh test
# Configured again so the tests come in even where ./run.sh built without GoogleTest.
scripts/build.sh -DVELMORA_TESTS=ON
# The Debian package lands in build/; a test unpacks it and starts it from there.
cmake --build build --target package
# A short run of every fuzz target first (no crash, no leak), so the test summary closes the run.
scripts/fuzz.sh 15
PGDIR=$(mktemp -d /tmp/velmora-pg.XXXXXX)
cleanup() { "$TOP/scripts/pg.sh" stop "$PGDIR"; rm -rf "$PGDIR"; }
trap cleanup EXIT
# A few tries, in case a port is taken.
for try in 1 2 3 4 5; do
  PGPORT=${VELMORA_PG_PORT:-$((20000 + RANDOM % 20000))}
  if url=$(scripts/pg.sh start "$PGDIR" "$PGPORT"); then break; fi
  [ "$try" = 5 ] && { echo "PostgreSQL did not start" >&2; cat "$PGDIR"/*.log >&2 || true; exit 1; }
done
export VELMORA_TEST_PG_URL=$url
export QT_QPA_PLATFORM=offscreen
# Every peer is installed and started here: a test that finds one missing fails, not skips.
export VELMORA_REQUIRE_PEERS=1
cd "$TOP/build"
ctest --output-on-failure -j 2 "$@"
