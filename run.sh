#!/usr/bin/env bash
# Builds if needed and starts Velmora on the embedded database.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
exec build/src/cli/velmora-cli "$@" init
