#!/usr/bin/env bash
# Builds if needed and starts Velmora on the embedded database (demo data on the first start;
# the demo administrator's login is "admin"). In the training environment the demo data choose,
# the application itself starts the training platform on 127.0.0.1:18089.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
build/bin/velmora "$@"
