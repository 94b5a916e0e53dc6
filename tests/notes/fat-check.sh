#!/usr/bin/env bash
# The notes on the file systems of USB sticks: for each of FAT (vfat) and exFAT, makes a file
# system in an image file, loop-mounts it, configures and builds a fresh build folder on it (so the
# build delivers the empty note database into its application directory there), then stores a
# note with tavemo-notes put, shows it, lists and exports it, and checks the database.
#
#   sudo tests/notes/fat-check.sh [vfat] [exfat]
#
# Needs root (for the mount), mkfs.vfat / mkfs.exfat, and where the kernel lacks the file system its
# FUSE driver (fusefat, exfat-fuse); scripts/install-deps.sh --dev installs them.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
systems=("$@")
[[ ${#systems[@]} -eq 0 ]] && systems=(vfat exfat)

work=$(mktemp -d)
mounted=()
loops=()
cleanup() {
  for m in "${mounted[@]}"; do umount "$m" 2>/dev/null || true; done
  for l in "${loops[@]}"; do losetup -d "$l" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

for fs in "${systems[@]}"; do
  echo "== $fs"
  image=$work/$fs.img
  mnt=$work/$fs
  mkdir "$mnt"
  truncate -s 256M "$image"
  "mkfs.$fs" "$image" > /dev/null
  # The kernel's driver where it has one; else the FUSE driver (fusefat, exfat-fuse on a loop
  # device), which have no hard links either.
  if ! mount -o loop "$image" "$mnt" 2> /dev/null; then
    case $fs in
      vfat) fusefat -o rw+ "$image" "$mnt" > /dev/null ;;
      exfat) device=$(losetup -f --show "$image"); loops+=("$device"); mount.exfat-fuse "$device" "$mnt" > /dev/null ;;
    esac
  fi
  mounted+=("$mnt")
  findmnt -n -o FSTYPE,SOURCE,TARGET "$mnt"
  touch "$mnt/probe"; if ln "$mnt/probe" "$mnt/probe-link" 2> /dev/null; then echo "hard links work here"; else echo "no hard links here"; fi

  build=$mnt/build
  cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVEMO_TESTS=OFF > "$work/$fs-configure.log"
  cmake --build "$build" -j "$(nproc)" --target tavemo-notes tavemo_note_database > "$work/$fs-build.log"
  grep -h '记事数据库' "$work/$fs-build.log"
  app=$build/app
  ls -l "$app/Data"

  notes=$app/tavemo-notes
  printf '写在 U 盘上的记事\n第二行' > "$work/note.txt"
  "$notes" put 2024-02-10 "$work/note.txt"
  "$notes" put 2024-02-11 "$source_dir/tests/data/rtf/libreoffice-chinese.rtf"
  shown=$("$notes" show 2024-02-10)
  echo "show: $shown"
  [[ $shown == $'写在 U 盘上的记事\n第二行' ]]
  "$notes" list
  "$notes" show 2024-02-11 --format html | grep -o "font-family:'黑体'; font-size:16pt; font-weight:700;\">重要通知"
  "$notes" export "$mnt/backup" --format text
  ls "$mnt/backup"
  # A second export refuses to replace what the first wrote.
  if "$notes" export "$mnt/backup" --format text 2> "$work/skipped.txt"; then exit 1; fi
  cat "$work/skipped.txt"
  sqlite3 "$app/Data/UserData.db" 'PRAGMA integrity_check; PRAGMA journal_mode; SELECT count(*) FROM UserCon;'
  # Delivering again keeps the notes.
  cmake --build "$build" --target tavemo_note_database > /dev/null
  [[ $("$notes" list | wc -l) -eq 2 ]]
  echo "== $fs: ok"
done
