#!/usr/bin/env bash
# The Windows window under wine on an X server of its own (run it through xvfb-run -a):
#   window_test.sh FUNDORT_EXE PROBE_EXE EXAMPLES_DIR WORK_DIR
# Copies the program, the demo and its Windows configuration into WORK_DIR, runs it and checks
# as a user would: the window's caption and size, the persons listed, a person's hits after a
# click, a deletion answered with Return (the default No) that deletes nothing, and Alt+F4 and
# the end of the Windows session (also while a message box is open) each ending the program
# with "EXIT" logged. Leaves WORK_DIR/window.png, the screen with a person shown.
set -euo pipefail

program="$1" probe_exe="$2" examples="$3" work="$4"
started=$SECONDS
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export WINEPREFIX="${WINEPREFIX:?WINEPREFIX names the wine prefix}"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

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
for _ in $(seq 1 60); do
  headless=0
  for desktop in $(pgrep -f 'explorer.exe /desktop' || true); do
    tr '\0' '\n' <"/proc/$desktop/environ" 2>/dev/null | grep -q '^DISPLAY=' || headless=1
  done
  [ "$headless" = 0 ] && break
  sleep 0.25
done

# ---- The program and the demo in a folder of their own. ----
rm -rf "$work"
mkdir -p "$work"
cp "$program" "$work/fundort.exe"
cp -r "$examples/demo" "$work/demo"
# The configuration shipped for Windows: it names the folder "demo" beside the program.
cp "$examples/windows/fundort.cfg" "$work/fundort.cfg"
log="$work/fundort.log"

probe() { wine "$probe_exe" fundort "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# Waits up to 20 s until the command prints the expected text.
await() {
  local expected="$1" got=""
  shift
  for _ in $(seq 1 80); do
    got="$("$@" || true)"
    [ "$got" = "$expected" ] && return 0
    sleep 0.25
  done
  fail "$* printed '$got', expected '$expected'"
}

log_lines() { tr -d '\r' <"$log" | iconv -f WINDOWS-1252 -t UTF-8; }

# Starts the program and waits until its window is shown.
start_program() {
  (cd "$work" && exec wine ./fundort.exe </dev/null >/dev/null 2>&1) &
  pid=$!
  window=""
  for _ in $(seq 1 80); do
    window="$(xdotool search --onlyvisible --name '^fundort$' 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    sleep 0.25
  done
  [ -n "$window" ] || fail "no window with the caption fundort"
}

# Waits until the program has ended with status 0 and has logged "EXIT" as its last line, the
# given number of times in all.
await_end() {
  local exits="$1" status=0
  for _ in $(seq 1 80); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
  done
  if kill -0 "$pid" 2>/dev/null; then fail "the program did not end"; fi
  wait "$pid" || status=$?
  pid=
  [ "$status" = 0 ] || fail "exit status $status"
  [ "$(log_lines | grep -c '^EXIT$')" = "$exits" ] || fail "EXIT logged $(log_lines | grep -c '^EXIT$') times"
  [ "$(log_lines | tail -1)" = "EXIT" ] || fail "last log line: $(log_lines | tail -1)"
}

# ---- Start: the caption is the program's base name; the run ends with "fertig". ----
start_program
await "fertig" probe text Status
[ "$(probe client)" = "586 306" ] || fail "client area $(probe client), expected 586 306"
expected_persons=$'Erika Müller\nJürgen Schröder\nIlse Weiß\nŁukasz Nowak\nPaul Neumann'
[ "$(probe items)" = "$expected_persons" ] || fail "persons listed: $(probe items)"
[ "$(log_lines | head -1)" = "START fundort" ] || fail "first log line: $(log_lines | head -1)"

# ---- A click on the first person shows its hits; the selector moves between them. ----
read -r x y < <(probe point PersonList 0)
xdotool mousemove --sync "$x" "$y" click 1 2>/dev/null
await "Erika Müller" probe text PersonFrame
hits="$(probe text PersonHaeufigkeit)"
[[ "$hits" =~ ^[2-9]$|^[1-9][0-9]+$ ]] || fail "Häufigkeit shows '$hits', expected two or more"
[ "$(probe text PersonFundstelle)" = "1" ] || fail "Fundstelle shows '$(probe text PersonFundstelle)'"
path="$(probe text PersonFundstelleVerzeichnis)"
[[ "$path" == 'demo\'* ]] || fail "the hit's path '$path' is not in the demo"
unix_path="$work/${path//\\//}"
[ -f "$unix_path" ] || fail "the hit's file $unix_path is missing"
first_path="$path"
# The selector's right arrow moves to the next hit.
read -r x y < <(probe point PersonFundstellenAuswahl end)
xdotool mousemove --sync "$x" "$y" click 1 2>/dev/null
await "2" probe text PersonFundstelle
path="$(probe text PersonFundstelleVerzeichnis)"
[[ "$path" == 'demo\'* ]] || fail "the second hit's path '$path' is not in the demo"
[ "$path" != "$first_path" ] || fail "the second hit shows the first hit's path"
unix_path="$work/${path//\\//}"
import -window root "$work/window.png" 2>/dev/null || true

# ---- "endgültig löschen" answered with Return: No is the default, nothing is deleted. ----
read -r x y < <(probe point Command2)
xdotool mousemove --sync "$x" "$y" click 1 2>/dev/null
await $'Wollen Sie wirklich diese Datei endgültig löschen?\nNo' probe box
box="$(xdotool search --onlyvisible --name '^Wirklich l' 2>/dev/null | head -1 || true)"
[ -n "$box" ] || fail "no message box to answer"
xdotool key --window "$box" Return 2>/dev/null
await "" probe box
[ -f "$unix_path" ] || fail "answering No deleted $unix_path"
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
