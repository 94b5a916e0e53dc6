#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need beyond git and make.
# Only what is missing is installed, so a second run does nothing. Pass --dev for the extra tools
# used to look at what we build (ImageMagick, LibreOffice for checking the RTF we write) and to check
# the notes on FAT and exFAT file systems (tests/notes/fat-check.sh). The tests need Xvfb and
# xdotool for the check of the real window.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libsqlite3-dev sqlite3
  libjpeg-dev libgif-dev libpng-dev zlib1g-dev
  libglib2.0-dev gsettings-desktop-schemas
  libglib2.0-bin dbus-daemon mate-desktop-common cinnamon-desktop-data xfconf libxfconf-0-3
  fonts-noto-cjk fonts-liberation2 fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-translations-l10n
  xvfb xauth xdotool
)
if [[ "${1:-}" == "--dev" ]]; then
  packages+=(imagemagick libreoffice-writer-nogui poppler-utils)
  packages+=(dosfstools exfatprogs fusefat exfat-fuse)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh image has empty package lists; refresh them once in that case (or when an install fails).
if [[ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e '^lock$' -e '^partial$' -e '^auxfiles$')" ]]; then
  "${sudo[@]}" apt-get update -q
fi
if ! "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
