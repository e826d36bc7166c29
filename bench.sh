#!/usr/bin/env bash
# Builds and runs the benchmarks; prints each target as a figure or a ratio against its baseline.
# A throwaway PostgreSQL server serves the benchmarks that compare both engines.
set -euo pipefail
cd "$(dirname "$0")"
TOP=$(pwd)
scripts/deps.sh test
export BUILD_DIR=${BUILD_DIR:-build-bench}
BUILD_TYPE=Release scripts/build.sh
PGDIR=$(mktemp -d /tmp/velmora-bench-pg.XXXXXX)
cleanup() { "$TOP/scripts/pg.sh" stop "$PGDIR"; rm -rf "$PGDIR"; }
trap cleanup EXIT
export VELMORA_BENCH_PG_URL=$(scripts/pg.sh start "$PGDIR" $((20000 + RANDOM % 20000)))
for b in velmora_bench velmora_desktop_bench velmora_incoming_bench velmora_dictionary_bench velmora_lists_bench velmora_signer_bench velmora_outgoing_bench velmora_exchange_bench velmora_security_bench velmora_declaration_bench velmora_goods_item_bench velmora_validator_bench velmora_arrival_bench velmora_unloading_bench velmora_follow_up_bench velmora_phase5_bench; do
  "$BUILD_DIR/bin/$b" "$@"
done
