#!/usr/bin/env bash
# Installs what building and running need (no test servers), builds if needed and starts Velmora on the embedded database (demo data on the first start;
# the demo administrator's login is "admin"). In the training environment the demo data choose,
# the application itself starts the training platform on 127.0.0.1:18089.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh run
scripts/build.sh
build/bin/velmora "$@"
