#!/usr/bin/env bash
# Screenshots of the whole window under Xvfb, for docs/screenshots/: the first start, and a day
# whose note holds marks, tags, a time stamp, colours and two fonts (stored with tavemo-notes).
# Needs a build (make build), Xvfb, xdotool, ImageMagick and python3.
#
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshots}
for tool in xvfb-run xdotool import python3; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fresh_app() { # a first start: no notes, no settings
  rm -rf "$1"
  cp -a "$build/app/." "$1"
  rm -f "$1"/Data/UserData.db* "$1"/Data/*.ini
  "$build/tools/tavemo-notes/tavemo-make-note-db" "$1" >/dev/null
}

# The note, written as RTF: every character outside ASCII as \uN with a ? fallback.
python3 - "$work/note.rtf" <<'PY'
import sys
def t(s):
    return ''.join(c if ord(c) < 128 else '\\u%d?' % (ord(c) if ord(c) < 32768 else ord(c) - 65536) for c in s)
rtf = (r'{\rtf1\ansi\ansicpg936\deff0\uc1'
       r'{\fonttbl{\f0\fnil\fcharset134 ' + t('宋体') + r';}{\f1\fnil\fcharset134 ' + t('黑体') + r';}}'
       r'{\colortbl ;\red255\green0\blue0;\red0\green0\blue255;\red0\green128\blue0;\red30\green84\blue160;\red255\green0\blue255;\red128\green0\blue0;}'
       r'\pard\f1\fs32\cf4\b ' + t('本周要做的事') + r'\b0\par'
       r'\f0\fs23\cf3 ' + t('√') + r'\cf0  ' + t('季度报告已交') + r'\par'
       r'\cf1 ' + t('×') + r'\cf0  ' + t('机票还没订') + r'\par'
       r'\cf1 ' + t('█') + r'\cf0  ' + t('重要：周五前回复客户') + r'\par'
       r'\cf2 ' + t('█') + r'\cf0  ' + t('买菜：青菜、豆腐、鸡蛋') + r'\par'
       r'\cf5 ' + t('█') + r'\cf0  ' + t('妈妈生日，记得打电话') + r'\par'
       r'\par'
       + t(' 09:30 ') + t('晨会，') + r'\cf6\i ' + t('带上样品') + r'\i0\cf0\par'
       + t(' 14:00 ') + r'\f1\cf4 ' + t('和设计部讨论新版界面') + r'\f0\cf0\par'
       r'}')
open(sys.argv[1], 'w', encoding='ascii').write(rtf)
PY

cat >"$work/shoot.sh" <<'INSIDE'
#!/usr/bin/env bash
set -euo pipefail
app=$1 png=$2
unset QT_QPA_PLATFORM
"$app/tavemo-calendar" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '桌面日历' | head -n 1)
sleep 1.5
import -window "$wid" "$png"
kill -TERM "$pid"
wait "$pid"
INSIDE
chmod +x "$work/shoot.sh"

fresh_app "$work/first"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh" "$work/first" "$out/window-first-start.png"

fresh_app "$work/note"
"$work/note/tavemo-notes" --dir "$work/note" put "$(date +%F)" "$work/note.rtf" >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" "$work/shoot.sh" "$work/note" "$out/window-note.png"
echo "screenshots: $out/window-first-start.png $out/window-note.png"
