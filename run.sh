#!/usr/bin/env bash
# Builds if needed and starts Velmora on the embedded database (demo data on the first start;
# the demo administrator's login is "admin").
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
exec build/bin/velmora "$@"
