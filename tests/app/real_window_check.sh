#!/usr/bin/env bash
# The real window on a real X server (Xvfb): start the program on a fresh copy of the application
# directory, type into the note with xdotool, end the program with SIGTERM, and read the note back
# with tavemo-notes. The note page is 0, so only the ending stores the note.
#
#   real_window_check.sh APPDIR MAKE_NOTE_DB
set -euo pipefail

built=$1
make_note_db=$2
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "real_window_check: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$built/." "$work/app"
# A first start: no notes, no settings.
rm -f "$work"/app/Data/UserData.db* "$work"/app/Data/*.ini
"$make_note_db" "$work/app" >/dev/null
# Page 0: typing alone stores nothing, so the note read back was stored by the ending on SIGTERM.
printf '0\r\n750\r\n500\r\n137\r\n119\r\n' >"$work/app/Data/FormSize.ini"

cat >"$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -euo pipefail
app=$1
unset QT_QPA_PLATFORM
"$app/tavemo-calendar" 2>"$app/../stderr.txt" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '桌面日历' | head -n 1)
# The note editor fills the right part of the 750 x 500 window; click into it and type.
xdotool mousemove --window "$wid" 520 280 click 1
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.3
xdotool type --delay 15 'typed under Xvfb'
xdotool key --delay 15 Return
xdotool type --delay 15 'second line'
sleep 0.3
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
echo "$status" >"$app/../status.txt"
INSIDE
chmod +x "$work/inside.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/inside.sh" "$work/app"

status=$(cat "$work/status.txt")
if [[ "$status" != 0 ]]; then
  echo "real_window_check: the program ended with status $status after SIGTERM" >&2
  cat "$work/stderr.txt" >&2
  exit 1
fi
note=$("$work/app/tavemo-notes" --dir "$work/app" show "$(date +%F)")
expected=$'typed under Xvfb\nsecond line'
if [[ "$note" != "$expected" ]]; then
  echo "real_window_check: the stored note is not what was typed:" >&2
  printf '%s\n' "$note" >&2
  exit 1
fi
echo "real_window_check: the note typed into the window was stored: $(printf '%q' "$note")"
