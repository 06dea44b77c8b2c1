#!/bin/sh
# Usage: dbus-run-session -- sh withkeyring.sh PROGRAM [ARGS...]
# Runs PROGRAM with a Secret Service keyring on the private session bus, its login keyring made and
# unlocked with a test password in a temporary home that is removed afterwards.
set -eu
home=$(mktemp -d "${TMPDIR:-/tmp}/k5keyring-XXXXXX")
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '%s' 'k5-test-password' | gnome-keyring-daemon --unlock --components=secrets >/dev/null
K5_TEST_KEYRING=1 "$@"
