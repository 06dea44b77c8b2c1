#!/usr/bin/env bash
# The real program under Xvfb: it starts, opens a document from the File menu, takes the text another
# program drops into plugin.qvl, and on SIGTERM asks about the modified document and exits cleanly.
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

fail() { echo "FAIL: $*"; kill -KILL "$pid" 2>/dev/null; exit 1; }
waitfor() { # seconds, command...
  local t=$(( $1 * 10 )); shift
  while ((t-- > 0)); do "$@" && return 0; sleep 0.1; done
  return 1
}

"$bin" &
pid=$!
wid=""
findframe() { wid="$(xdotool search --onlyvisible --name '^Kestrova 5$' 2>/dev/null | head -n 1)"; [[ -n "$wid" ]]; }
waitfor 60 findframe || fail "the main window did not appear"
echo "main window $wid"

plugin="$KESTROVA_HOME/plugin.qvl"
printf 'handed over by another program\r\n' > "$plugin"
sleep 1
[[ -f "$plugin" ]] || fail "the plug-in file was taken while no document was open"

# File > New opens a document; the poll then takes the plug-in file.
opened() { [[ ! -f "$plugin" ]]; }
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  sleep 0.3
  xdotool key --clearmodifiers alt+f
  sleep 0.5
  xdotool key --clearmodifiers n
  waitfor 10 opened && break
done
opened || fail "no document took the plug-in file"
echo "document opened and took the plug-in file"

kill -TERM "$pid"
# The document holds the plug-in text: the save question comes up; answer No.
sleep 2
xdotool key --clearmodifiers alt+n
gone() { ! kill -0 "$pid" 2>/dev/null; }
waitfor 30 gone || fail "the program did not exit"
wait "$pid"
rc=$?
[[ $rc -eq 0 ]] || fail "exit code $rc"
echo "exited cleanly"
