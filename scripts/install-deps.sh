#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need beyond git and make.
# Only what is missing is installed, so a second run does nothing. Groups add more: --dev the tools
# used to look at what we build (see below), --bench what the benchmarks compare with, --package
# what `make package` needs. The tests need Xvfb and xdotool for the check of the real window.
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
for group in "$@"; do
  case $group in
    --dev) # looking at what we build, checking the RTF we write, the notes on FAT and exFAT,
           # checking the package and trying it in a bare Debian root
      packages+=(imagemagick libreoffice-writer-nogui poppler-utils)
      packages+=(dosfstools exfatprogs fusefat exfat-fuse)
      packages+=(lintian appstream desktop-file-utils debootstrap) ;;
    --bench) packages+=(imagemagick) ;; # the wallpaper benchmark compares with ImageMagick
    --package) packages+=(file dpkg-dev fakeroot) ;; # cpack's DEB generator and dpkg-shlibdeps
    *) echo "install-deps: unknown group $group (--dev, --bench, --package)" >&2; exit 2 ;;
  esac
done

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
