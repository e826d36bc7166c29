#!/usr/bin/env bash
# Builds and runs the benchmarks; prints each target as a figure or a ratio against its baseline.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
BUILD_TYPE=Release BUILD_DIR=${BUILD_DIR:-build-bench} scripts/build.sh
"${BUILD_DIR:-build-bench}/bin/velmora_bench" "$@"
"${BUILD_DIR:-build-bench}/bin/velmora_desktop_bench" "$@"
"${BUILD_DIR:-build-bench}/bin/velmora_incoming_bench" "$@"
"${BUILD_DIR:-build-bench}/bin/velmora_dictionary_bench" "$@"
