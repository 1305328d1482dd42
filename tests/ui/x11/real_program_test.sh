#!/usr/bin/env bash
# The desktop program under a real X server (xvfb-run, with a D-Bus session
# for the accessibility bus): a line typed and START give on the clipboard
# what sfconv writes; a run cut short makes START read "ERROR" to a screen
# reader (AT-SPI); closed as a window manager closes it, it ends cleanly.
#
# usage: real_program_test.sh PROGRAM SFCONV
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ "$#" -eq 2 ] || { echo "usage: $0 PROGRAM SFCONV" >&2; exit 2; }

if [ "${SFC_REAL_PROGRAM_TEST_XVFB:-}" != 1 ]; then
  for tool in xvfb-run xauth xdpyinfo xdotool xclip python3 dbus-run-session gdbus \
    /usr/share/dbus-1/services/org.a11y.Bus.service; do
    command -v "$tool" >/dev/null || [ -e "$tool" ] ||
      { echo "real_program_test: $tool is missing (scripts/setup-debian.sh installs it)" >&2; exit 1; }
  done
  export SFC_REAL_PROGRAM_TEST_XVFB=1
  # -noreset: without it the server resets each time its last client leaves
  # (xdpyinfo below, the accessibility bus launcher), and a program that
  # connects during the reset is refused ("could not connect to display").
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" dbus-run-session -- "$0" "$@"
fi

program=$1
sfconv=$2
line="dharmaksetre kuruksetre samaveta yuyutsavah"

scratch=$(mktemp -d)
pid=
wid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/home" "$scratch/lipikara" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" LIPIKARA_DIR="$scratch/lipikara" XDG_RUNTIME_DIR="$scratch/runtime"
# On the accessibility bus as under a screen reader, on the real X11 plugin.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_QPA_PLATFORM

log() { echo "real_program_test: [${SECONDS}s] $*"; }

fail() {
  {
    echo "real_program_test: FAIL: $*"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      echo "active window: $(xdotool getactivewindow getwindowname 2>&1 || true)"
      [ -z "$wid" ] || xdotool getwindowgeometry "$wid" 2>&1 || true
    else
      echo "the program is not running"
    fi
    echo "--- program output"
    cat "$scratch/program.log" 2>/dev/null || true
  } >&2
  exit 1
}

# The clipboard's text as Windows-1252 bytes (the five undefined bytes as
# themselves) into file $1.
read_clipboard() {
  timeout 5 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | python3 -c '
import sys
text = sys.stdin.buffer.read().decode("utf-8")
sys.stdout.buffer.write(b"".join(bytes([ord(c)]) if ord(c) in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
                                 else c.encode("cp1252") for c in text))' >"$1" || : >"$1"
}

# Waits up to $1 s for the clipboard to differ from file $2 and not be empty;
# leaves it in file $3.
wait_for_clipboard_change() {
  local deadline=$((SECONDS + $1))
  while ((SECONDS < deadline)); do
    read_clipboard "$3"
    if [ -s "$3" ] && ! cmp -s "$3" "$2"; then return 0; fi
    sleep 0.2
  done
  return 1
}

# xvfb-run may start the command before its server takes connections.
for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "the X server on $DISPLAY does not answer"
timeout 20 gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
  --method org.a11y.Bus.GetAddress >/dev/null ||
  fail "no accessibility bus (at-spi-bus-launcher) on the D-Bus session"

# lsan.supp: leaks of the libraries underneath, for a sanitizer build.
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/../lsan.supp" \
  "$program" >"$scratch/program.log" 2>&1 &
pid=$!
for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || fail "the program ended before showing its window"
  wid=$(xdotool search --onlyvisible --name '^OM  SRI' 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window titled 'OM  SRI ...' within 30 s"

# Pixels from the window's corner (no window manager): the transliteration
# box 123 to 352 px down, START 86 to 109 down and 212 to 361 across. The line
# typed is copied back to check that every key arrived.
printf '%s' "$line" >"$scratch/typed.bin"
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool mousemove --window "$wid" 400 200 click 1
  sleep 0.2
  xdotool key --clearmodifiers ctrl+a
  xdotool type --clearmodifiers --delay 10 "$line"
  xdotool key --clearmodifiers ctrl+a ctrl+c
  sleep 0.2
  read_clipboard "$scratch/box.bin"
  cmp -s "$scratch/box.bin" "$scratch/typed.bin" && break
  [ "$attempt" -lt 3 ] || fail "the line did not arrive in the transliteration box"
  log "try $attempt: the box holds '$(cat "$scratch/box.bin")', typing again"
  sleep 1
done

for attempt in 1 2; do
  xdotool mousemove --window "$wid" 286 121 click 1
  wait_for_clipboard_change 15 "$scratch/typed.bin" "$scratch/clipboard.bin" && break
  [ "$attempt" -lt 2 ] || fail "no conversion on the clipboard after START"
done
printf '%s' "$line" | "$sfconv" to-devanagari --startup >"$scratch/expected.bin"
if ! cmp -s "$scratch/clipboard.bin" "$scratch/expected.bin"; then
  od -An -tx1 "$scratch/clipboard.bin" "$scratch/expected.bin" >&2
  fail "the clipboard (first above) differs from sfconv to-devanagari --startup"
fi

# A Devanagari glyph with no table entry (byte 0): the other direction, LOAD
# and START pressed through the accessibility tree, as a screen reader does.
printf 'k\0k' >"$LIPIKARA_DIR/sanskrit.txt"
python3 "$here/accessible.py" "$pid" --press "Devanagari to Transliteration" --press LOAD \
  --press "START CONVERSION" >/dev/null ||
  fail "the controls could not be pressed through the accessibility tree"
wait_for_clipboard_change 15 "$scratch/clipboard.bin" "$scratch/cut-short.bin" ||
  fail "no conversion on the clipboard after LOAD and START"
for _ in 1 2 3; do
  python3 "$here/accessible.py" "$pid" >"$scratch/tree.txt" 2>&1 || true
  grep -qx $'push button\tERROR' "$scratch/tree.txt" && break
  sleep 0.5
done
grep -qx $'push button\tERROR' "$scratch/tree.txt" && ! grep -q 'START CONVERSION' "$scratch/tree.txt" ||
  { cat "$scratch/tree.txt" >&2; fail "the accessibility tree does not name the button ERROR alone"; }
grep -qx $'label\tkaralipi position' "$scratch/tree.txt" ||
  fail "the browser's caption is not named karalipi position"

# Closed as a window manager's close button does, it ends with status 0.
python3 "$here/close_window.py" "$wid"
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program is still running 20 s after its window was closed"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "real_program_test: PASS"
