#!/usr/bin/env bash
# The Windows window under wine on an X server of its own (run it through xvfb-run -a):
#   window_test.sh FUNDORT_EXE PROBE_EXE EXAMPLES_DIR WORK_DIR
# Runs the program on the demo in WORK_DIR and checks as a user would: caption and size, the
# persons listed, a person's hits after a click, a deletion answered with Return (the default No)
# that deletes nothing, and Alt+F4 and the end of the Windows session (also while a message box is
# open) each ending it with "EXIT" logged. Leaves WORK_DIR/window.png, a person shown.
set -euo pipefail

program="$1" probe_exe="$2" examples="$3" work="$4"
started=$SECONDS
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export WINEPREFIX="${WINEPREFIX:?WINEPREFIX names the wine prefix}"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs the command every quarter of a second until it succeeds, for up to 20 s.
retry() { for _ in $(seq 1 80); do "$@" && return 0; sleep 0.25; done; return 1; }

# ---- Wine: the prefix once, and a server that holds none of this script's pipes. ----
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
fi
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "${own_server:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT
# A persistent server starts only where none runs yet (scripts/wine-env starts one); this script
# stops only the one it started.
if wineserver -p </dev/null >/dev/null 2>&1; then
  own_server=1
  wine wineboot </dev/null >/dev/null 2>&1
fi
# A server started without a display (scripts/wine-env) leaves a desktop process without one for
# a few seconds; a window made meanwhile would find no display driver. Wait until it is gone.
desktops_displayed() {
  for desktop in $(pgrep -f 'explorer.exe /desktop' || true); do
    tr '\0' '\n' <"/proc/$desktop/environ" 2>/dev/null | grep -q '^DISPLAY=' || return 1
  done
}
retry desktops_displayed || true

# ---- The program, the demo and the configuration shipped for Windows (it names "demo"). ----
rm -rf "$work" && mkdir -p "$work"
cp "$program" "$work/fundort.exe"
cp -r "$examples/demo" "$work/demo"
cp "$examples/windows/fundort.cfg" "$work/fundort.cfg"
log="$work/fundort.log"

probe() { wine "$probe_exe" fundort "$@" </dev/null 2>/dev/null | tr -d '\r'; }
log_lines() { tr -d '\r' <"$log" | iconv -f WINDOWS-1252 -t UTF-8; }
prints() { got="$("${@:2}" || true)" && [ "$got" = "$1" ]; }
# Waits up to 20 s until the command prints the expected text.
await() { retry prints "$@" || fail "${*:2} printed '$got', expected '$1'"; }
click() {
  read -r x y < <(probe point "$@") && xdotool mousemove --sync "$x" "$y" click 1 2>/dev/null
}
# The work folder as wine names it: "/" is drive Z:.
work_windows="Z:${work//\//\\}"
shown_file() {  # sets file to the shown hit's file, which must be one of the demo, in full
  path="$(probe text PersonFundstelleVerzeichnis)"
  [[ "$path" == "$work_windows\\demo\\"* ]] || fail "the hit's path '$path' is not in the demo"
  file="$work/${path#"$work_windows\\"}"
  file="${file//\\//}"
  [ -f "$file" ] || fail "the hit's file $file is missing"
}

# Starts the program from another folder, as a shortcut does, and waits until its window is
# shown: the configuration's "demo\" is the folder beside the program all the same.
start_program() {
  (cd / && exec wine "$work/fundort.exe" </dev/null >/dev/null 2>&1) &
  pid=$!
  window="$(timeout 20 xdotool search --sync --onlyvisible --name '^fundort$' | head -1)" ||
    fail "no window with the caption fundort"
}

# Waits until the program has ended with status 0 and has logged "EXIT" as its last line, the
# given number of times in all.
await_end() {
  retry eval '! kill -0 "$pid" 2>/dev/null' || fail "the program did not end"
  wait "$pid" || fail "exit status $?"
  pid=
  exits="$(log_lines | grep -c '^EXIT$')"
  [ "$exits" = "$1" ] || fail "EXIT logged $exits times"
  [ "$(log_lines | tail -1)" = "EXIT" ] || fail "last log line: $(log_lines | tail -1)"
}

# ---- Start: the caption is the program's base name; the run ends with "fertig". ----
start_program
await "fertig" probe text Status
await "586 306" probe client
await $'Erika Müller\nJürgen Schröder\nIlse Weiß\nŁukasz Nowak\nPaul Neumann' probe items
[ "$(log_lines | head -1)" = "START fundort" ] || fail "first log line: $(log_lines | head -1)"

# ---- A click on the first person shows its hits; the selector's right arrow shows the next. ----
click PersonList 0
await "Erika Müller" probe text PersonFrame
hits="$(probe text PersonHaeufigkeit)"
[[ "$hits" =~ ^[2-9]$|^[1-9][0-9]+$ ]] || fail "Häufigkeit shows '$hits', expected two or more"
await "1" probe text PersonFundstelle
shown_file && first_file="$file"
click PersonFundstellenAuswahl end
await "2" probe text PersonFundstelle
shown_file
[ "$file" != "$first_file" ] || fail "the second hit shows the first hit's file"
import -window root "$work/window.png" 2>/dev/null || true
# Where the layout table lets controls overlap by a pixel, the value and the box lie above their
# captions and are drawn whole.
for control in anzFolders anzFiles allSize PersonHaeufigkeit PersonFundstelle \
  PersonFundstelleVerzeichnis; do
  await "" probe above "$control"
done

# ---- "endgültig löschen" answered with Return: No is the default, nothing is deleted. ----
click Command2
await $'Wollen Sie wirklich diese Datei endgültig löschen?\nNo' probe box
xdotool search --onlyvisible --name '^Wirklich l' key --window %1 Return 2>/dev/null ||
  fail "no message box to answer"
await "" probe box
[ -f "$file" ] || fail "answering No deleted $file"
if log_lines | grep -q '^KILL: '; then fail "answering No logged a deletion"; fi

# ---- Alt+F4 closes as the user does: "EXIT" logged once, last, and the program ends. ----
xdotool key --window "$window" alt+F4 2>/dev/null
await_end 1

# ---- The end of the Windows session closes as the user does, also while a box is open. ----
start_program
await "fertig" probe text Status
probe endsession >/dev/null || fail "the window refused the end of the session"
await_end 2
rm "$work/fundort.cfg"
start_program
await $'Die Konfigurationsdatei wurde nicht gefunden.\nOK' probe box
probe endsession >/dev/null || fail "the window refused the end of the session"
await_end 3

echo "window test passed in $((SECONDS - started)) s; screenshot: $work/window.png"
