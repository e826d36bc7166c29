#!/usr/bin/env bash
# Installs what is missing, builds, starts the local servers, runs every test, stops the servers.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
PGDIR=$(mktemp -d /tmp/velmora-pg.XXXXXX)
PGPORT=${VELMORA_PG_PORT:-$((20000 + RANDOM % 20000))}
cleanup() { scripts/pg.sh stop "$PGDIR"; rm -rf "$PGDIR"; }
trap cleanup EXIT
export VELMORA_TEST_PG_URL=$(scripts/pg.sh start "$PGDIR" "$PGPORT")
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j 2 "$@"
