#!/usr/bin/env bash
# Installs everything Pictrix needs to build, test, fuzz, benchmark and take screenshots.
# Idempotent: when every package is already present it does nothing and says so.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  libsqlite3-dev libpng-dev zlib1g-dev libssl-dev
  imagemagick icoutils poppler-utils
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  time
  desktop-file-utils shared-mime-info
  # Printing: Qt's print support with its CUPS backend, a face metric-compatible with Arial (the
  # printed list's font), and for the end-to-end printing test a print server with a PDF queue.
  libqt6printsupport6 fonts-liberation2
  cups-daemon cups-client cups-filters printer-driver-cups-pdf
  # XFCE's thumbnail service, which the thumbnailer's end-to-end test asks on a private D-Bus session.
  tumbler dbus-daemon libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages are present."
  exit 0
fi

echo "install-deps: missing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=sudo
  else
    echo "install-deps: installing packages needs root. Run as root, or:" >&2
    echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: done."
