#!/bin/sh
# Runs a command as if on a desktop of its own: a private network namespace
# with only loopback up (so the product's ports 80 and 25 are free and nothing
# leaves the machine), a private runtime directory and a private D-Bus
# session, whose accessibility bus two such runs can never share.
#
#   private_desktop.sh COMMAND [ARG...]
#
# Exits 77 (skipped) where this user may make no such namespace (see
# tests/support/private-net).
set -eu
if [ "${ORLAVO_PRIVATE_DESKTOP:-}" != 1 ]; then
  exec env ORLAVO_PRIVATE_DESKTOP=1 "$(dirname "$0")/../support/private-net" "$0" "$@"
fi
# Nothing of the caller's desktop session: GTK would prefer its Wayland
# display to the test's virtual one, and the accessibility registry would
# read its X display; both are reachable from here through their sockets'
# paths.
unset WAYLAND_DISPLAY DISPLAY
runtime=$(mktemp -d /tmp/orlavo-runtime-XXXXXX)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
dbus-run-session -- "$@"
