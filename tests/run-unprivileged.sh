#!/usr/bin/env bash
# Runs a test program as an unprivileged user when we are root, so that unreadable folders really
# are unreadable. The program is copied to a fresh folder under /tmp first: the build tree may sit
# below a home folder that the unprivileged user cannot enter.
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$program" "$@"
fi
work=$(mktemp -d /tmp/brisklet-unprivileged.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/tests"
chmod 0755 "$work" "$work/tests"
cd "$work"
HOME="$work" TMPDIR=/tmp setpriv --reuid=65534 --regid=65534 --clear-groups "$work/tests" "$@"
