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
  libsqlite3-dev libpq-dev libcli11-dev
  libgtest-dev libgmock-dev
  postgresql-15 postgresql-client-15
  fonts-dejavu-core fonts-dejavu-extra fontconfig
  xvfb xauth poppler-utils openssl qpdf
  openbox xdotool dbus dbus-x11 at-spi2-core python3 python3-pyatspi
  dpkg-dev file clang-format-14
  locales lintian gettext
)

# The users' locales: Brazilian Portuguese first, English for the
# translation. Tests run under both.
wanted_locales=(pt_BR.UTF-8 en_US.UTF-8)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
else
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# `locale -a` spells them pt_BR.utf8.
have_locales=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
generate=false
for l in "${wanted_locales[@]}"; do
  norm=$(echo "$l" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
  if ! grep -qx "$norm" <<<"$have_locales"; then
    $SUDO sed -i -E "s/^# *($l UTF-8)/\\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    generate=true
  fi
done
if [ "$generate" = true ]; then
  echo "setup: generating ${wanted_locales[*]}"
  $SUDO locale-gen >/dev/null
fi
