#!/usr/bin/env bash
# Builds if needed and starts Velmora on the embedded database (demo data on the first start;
# the demo administrator's login is "admin"). The platform simulator runs beside it on
# 127.0.0.1:18089 for the training environment the demo data chooses.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
SIM_DIR=$(mktemp -d /tmp/velmora-sim.XXXXXX)
echo '{}' > "$SIM_DIR/scenariusz.json"
python3 tools/puesc-sim/puesc_sim.py --port 18089 --config "$SIM_DIR/scenariusz.json" > "$SIM_DIR/sim.log" 2>&1 &
SIM_PID=$!
cleanup() { kill "$SIM_PID" 2>/dev/null || true; rm -rf "$SIM_DIR"; }
trap cleanup EXIT
build/bin/velmora "$@"
