#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: does nothing
# when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n qt6-svg-dev
  libgl-dev
  libgrpc++-dev libprotobuf-dev protobuf-compiler protobuf-compiler-grpc
  libsqlite3-dev libpq-dev
  libgtest-dev libgmock-dev
  postgresql-15 postgresql-client-15
  fonts-dejavu-core fonts-dejavu-extra fontconfig
  xvfb xauth poppler-utils openssl
  dpkg-dev file clang-format-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
