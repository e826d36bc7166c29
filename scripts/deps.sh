#!/usr/bin/env bash
# Installs the Debian packages a role needs (only the missing ones):
#   scripts/deps.sh run    building and running Velmora (a clerk's PC; ./run.sh)
#   scripts/deps.sh test   that, and the tests' servers and tools (./test.sh, ./bench.sh)
set -euo pipefail
ROLE=${1:-test}
RUN=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev
  libxml2-dev libxmlsec1-dev libssl-dev libcurl4-openssl-dev libvmime-dev
  python3 fonts-dejavu-core
  iso-codes
)
# The throwaway PostgreSQL server and mail servers, the checkers the tests call (xmlsec1,
# xmllint, openssl, pdftotext), the test and benchmark libraries, clang for the fuzz targets.
TEST=(
  libgtest-dev libbenchmark-dev
  postgresql-15 dovecot-imapd dovecot-pop3d
  xmlsec1 libxml2-utils openssl poppler-utils
  clang libclang-rt-14-dev
)
case "$ROLE" in
  run) PACKAGES=("${RUN[@]}") ;;
  test) PACKAGES=("${RUN[@]}" "${TEST[@]}") ;;
  *) echo "usage: scripts/deps.sh run|test" >&2; exit 2 ;;
esac
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
