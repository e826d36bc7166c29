#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the application need (only the missing ones).
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev
  libxml2-dev libxml2-utils libxmlsec1-dev xmlsec1 libssl-dev openssl
  libgtest-dev libbenchmark-dev
  postgresql-15 poppler-utils fonts-dejavu-core clang libclang-rt-14-dev
  libcurl4-openssl-dev python3 libvmime-dev dovecot-imapd dovecot-pop3d
  iso-codes
)
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
