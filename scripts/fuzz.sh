#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer with leak checks) and runs
# each for a while, seeded with the sample documents: ./scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-20}
BUILD=build-fuzz
if [ ! -f "$BUILD/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
    -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" --target incoming_fuzz xml_fuzz declaration_fuzz validate_fuzz unloading_fuzz
export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1"
export QT_QPA_PLATFORM=offscreen
for target in incoming_fuzz xml_fuzz declaration_fuzz validate_fuzz unloading_fuzz; do
  corpus=$(mktemp -d)
  cp tests/data/incoming/*.xml tests/data/outgoing/*.xml tests/data/rules/*.xml "$corpus/"
  echo "Fuzzing $target for ${SECONDS_EACH}s"
  "$BUILD/bin/$target" -max_total_time="$SECONDS_EACH" -max_len=16384 -timeout=10 -rss_limit_mb=2048 "$corpus" \
    >"$BUILD/$target.log" 2>&1 || { tail -60 "$BUILD/$target.log"; rm -rf "$corpus"; exit 1; }
  grep -E '^#[0-9]+ *DONE|Done [0-9]+ runs' "$BUILD/$target.log" | tail -1 || true
  rm -rf "$corpus"
done
