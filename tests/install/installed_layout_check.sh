#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs as a user would: each
# answers --version; a fresh home gets its per-user folder filled from share/tavemo-calendar/delivered
# and keeps its notes there; a home that already has notes keeps every file; installed with the
# prefix ~/.local, a reinstall leaves the notes alone.
#   installed_layout_check.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
fail() { echo "installed_layout: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
touch "$root/installed"
export QT_QPA_PLATFORM=offscreen
for program in tavemo-calendar tavemo-cal tavemo-notes tavemo-wallpaper; do
  [[ -x $prefix/bin/$program ]] || { [[ $program == tavemo-wallpaper ]] && continue; fail "$program not installed"; }
  out=$("$prefix/bin/$program" --version) || fail "$program --version failed"
  [[ $out == "$program $version" ]] || fail "$program --version printed '$out'"
done
for file in share/applications/tavemo-calendar.desktop share/metainfo/tavemo-calendar.metainfo.xml \
            share/icons/hicolor/scalable/apps/tavemo-calendar.svg share/icons/hicolor/256x256/apps/tavemo-calendar.png \
            share/icons/hicolor/16x16/apps/tavemo-calendar.png share/man/man1/tavemo-notes.1.gz \
            share/tavemo-calendar/delivered/Data/UserData.db share/tavemo-calendar/delivered/source/DeskTopBG/A1.bmp \
            share/tavemo-calendar/delivered/web/help4/tavemo1.htm; do
  [[ -s $prefix/$file ]] || fail "$file missing or empty"
done

# A fresh home: the first start fills ~/.local/share/tavemo-calendar and the note lands there.
fresh=$root/fresh/.local/share
echo 今天买菜 | XDG_DATA_HOME=$fresh "$prefix/bin/tavemo-notes" put 2024-02-10 - >/dev/null
[[ -s $fresh/tavemo-calendar/Data/UserData.db ]] || fail "no per-user database"
[[ -s $fresh/tavemo-calendar/source/DeskTopBG/A1.bmp ]] || fail "no per-user default background"
[[ -d $fresh/tavemo-calendar/source/Month ]] || fail "no per-user month folder"
shown=$(XDG_DATA_HOME=$fresh "$prefix/bin/tavemo-notes" show 2024-02-10)
[[ $shown == 今天买菜 ]] || fail "show printed '$shown'"
cmp -s "$fresh/tavemo-calendar/Data/UserData.db" "$prefix/share/tavemo-calendar/delivered/Data/UserData.db" &&
  fail "the note was written into the installed database"
[[ -z $(find "$prefix" -newer "$root/installed") ]] || fail "the install was written to"

# A home with notes and its own picture: nothing replaced.
kept=$root/kept/.local/share/tavemo-calendar
mkdir -p "$kept/Data" "$kept/source/DeskTopBG"
cp "$fresh/tavemo-calendar/Data/UserData.db" "$kept/Data/UserData.db"
echo "my own picture" > "$kept/source/DeskTopBG/A1.bmp"
before=$(sha256sum "$kept/Data/UserData.db" "$kept/source/DeskTopBG/A1.bmp")
shown=$(XDG_DATA_HOME=$root/kept/.local/share "$prefix/bin/tavemo-notes" show 2024-02-10)
[[ $shown == 今天买菜 ]] || fail "the kept note reads '$shown'"
[[ $(sha256sum "$kept/Data/UserData.db" "$kept/source/DeskTopBG/A1.bmp") == "$before" ]] || fail "a user's file was replaced"
[[ -s $kept/web/help4/tavemo1.htm ]] || fail "the missing web pages were not added"
# Installed into the home itself (prefix ~/.local): the user's folder is share/tavemo-calendar, the
# delivered tree its own folder in it, so installing again replaces no note.
local_prefix=$root/own/.local
cmake --install "$build" --prefix "$local_prefix" >/dev/null
echo 自己装的 | XDG_DATA_HOME=$local_prefix/share "$local_prefix/bin/tavemo-notes" put 2024-02-11 - >/dev/null
cmake --install "$build" --prefix "$local_prefix" >/dev/null
shown=$(XDG_DATA_HOME=$local_prefix/share "$local_prefix/bin/tavemo-notes" show 2024-02-11)
[[ $shown == 自己装的 ]] || fail "reinstalling into ~/.local lost the note ('$shown')"
echo "installed_layout: ok"
