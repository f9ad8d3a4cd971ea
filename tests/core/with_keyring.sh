#!/bin/sh
# Runs a command inside a private session bus (dbus-run-session starts this script) with a
# gnome-keyring-daemon of its own, its login keyring unlocked, in a home folder of its own.
set -eu
HOME=$(mktemp -d)
XDG_DATA_HOME="$HOME/.local/share"
XDG_RUNTIME_DIR=$(mktemp -d)
export HOME XDG_DATA_HOME XDG_RUNTIME_DIR
printf '%s' "zorvik-test" | gnome-keyring-daemon --unlock --components=secrets --daemonize >/dev/null
status=0
"$@" || status=$?
rm -rf "$HOME" "$XDG_RUNTIME_DIR"
exit $status
