#!/usr/bin/env bash
# The real program under Xvfb, without a window manager: the splash goes by itself, the start dialog comes,
# the blank document it opens takes the text that another program left in plugin.qvl before the start,
# File > New shows the template dialog, and on SIGTERM (the template dialog open again) the program asks
# about the modified document and exits cleanly. Every wait is for a condition and bounded; no fixed pause
# stands in for one.
set -u
bin="$1"
if [[ "${2:-}" != --inner ]]; then
  root="$(mktemp -d)"
  trap 'rm -rf "$root"' EXIT
  export HOME="$root/home" KESTROVA_HOME="$root/program" XDG_CONFIG_HOME="$root/config" \
    XDG_DATA_HOME="$root/data" TMPDIR="$root/tmp"
  mkdir -p "$HOME" "$KESTROVA_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR"
  unset QT_QPA_PLATFORM
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$bin" --inner
fi

pid=""
fail() { echo "FAIL: $*"; [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null; exit 1; }
waitfor() { # seconds, command...: polls the condition until it holds or the time is up
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.05
  done
}
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null; }
running() { kill -0 "$pid" 2>/dev/null; }

# Left before the start: it must wait until a document is open, or its text would be lost.
plugin="$KESTROVA_HOME/plugin.qvl"
printf 'handed over by another program\r\n' > "$plugin"

"$bin" &
pid=$!
wid="$(timeout 60 xdotool search --sync --onlyvisible --name '^Kestrova 5$' | head -n 1)"
[[ -n "$wid" ]] || fail "the main window did not appear"
echo "main window $wid"

# The splash (340 x 61) was mapped before the main window; nothing activates it here.
splash_gone() {
  local w
  for w in $(windows); do
    [[ "$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/^ *Geometry: //p')" == 340x61 ]] && return 1
  done
  return 0
}
waitfor 30 splash_gone || fail "the splash did not close"
echo "splash closed"
[[ -f "$plugin" ]] || fail "the plug-in file was taken while no document was open"

# A second after the start the start dialog offers the ways to begin; Return takes the checked one, a
# blank document, and the poll then takes the file.
focused() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]; }
start=""
start_dialog() {
  local w
  for w in $(windows); do
    [[ "$w" != "$wid" && "$(xdotool getwindowname "$w" 2>/dev/null)" == "Kestrova 5" ]] && start="$w" && return 0
  done
  return 1
}
waitfor 30 start_dialog || fail "the start dialog did not appear"
echo "start dialog $start"
taken() { [[ ! -f "$plugin" ]]; }
for attempt in 1 2 3; do
  xdotool windowfocus "$start" 2>/dev/null
  waitfor 10 focused "$start" || continue
  xdotool key --clearmodifiers Return
  waitfor 20 taken && break
done
taken || fail "no document took the plug-in file"
echo "document opened from the start dialog and took the plug-in file"

# File > New: Alt+F opens the menu (a window of its own), N picks New; the template dialog comes up
# and Escape closes it.
count=0
more_windows() { (( $(windows | wc -l) > count )); }
templates=""
template_dialog() { templates="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Templates\.\.\.$' 2>/dev/null | head -n 1)"; [[ -n "$templates" ]]; }
# File > New, by the keys a user presses, until the template dialog shows.
open_templates() {
  for attempt in 1 2 3; do
    xdotool windowfocus "$wid" 2>/dev/null
    waitfor 10 focused "$wid" || continue
    count=$(windows | wc -l)
    xdotool key --clearmodifiers alt+f
    waitfor 10 more_windows || continue
    xdotool key --clearmodifiers n
    waitfor 20 template_dialog && return
  done
}
open_templates
template_dialog || fail "File > New showed no template dialog"
echo "template dialog $templates"
no_templates() { ! template_dialog; }
for attempt in 1 2 3; do
  xdotool windowfocus "$templates" 2>/dev/null
  waitfor 10 focused "$templates" || continue
  xdotool key --clearmodifiers Escape
  waitfor 10 no_templates && break
done
no_templates || fail "the template dialog did not close"
echo "template dialog closed"

# File > New again, and SIGTERM while the template dialog is open: the dialog's own event loop ends
# before anything it was opened from goes away.
open_templates
template_dialog || fail "File > New showed no template dialog the second time"
echo "template dialog $templates open when SIGTERM comes"

# The first document holds the handed-over text: SIGTERM brings up the save question; answer No.
kill -TERM "$pid"
box=""
question() {
  local w
  for w in $(windows); do
    [[ "$w" != "$wid" && "$(xdotool getwindowname "$w" 2>/dev/null)" == "Kestrova 5" ]] && box="$w" && return 0
  done
  return 1
}
asked_or_gone() { question || ! running; }
waitfor 30 asked_or_gone || fail "no save question after SIGTERM"
[[ -n "$box" ]] || fail "the program exited without asking about the modified document"
waitfor 10 focused "$box" || xdotool windowfocus "$box" 2>/dev/null
waitfor 10 focused "$box" || fail "the save question did not get the keyboard"
xdotool key --clearmodifiers alt+n
gone() { ! running; }
waitfor 30 gone || fail "the program did not exit"
wait "$pid"
rc=$?
[[ $rc -eq 0 ]] || fail "exit code $rc"
echo "exited cleanly"
