#!/usr/bin/env bash
# Builds and runs the benchmarks; prints each target as a figure or a ratio against its baseline.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
BUILD_TYPE=Release BUILD_DIR=${BUILD_DIR:-build-bench} scripts/build.sh
exec "${BUILD_DIR:-build-bench}/bench/velmora_bench" "$@"
