#!/bin/sh
# Runs a program on a private Xvfb display of its own, for tests that need a real X server.
# Usage: on_xvfb.sh STATE_DIR PROGRAM [ARGS...]
set -eu
# shellcheck source=desktop.sh
. "$(dirname "$0")/desktop.sh"
state=$1
shift
trap 'display_stop "$state"' EXIT
display_start "$state"
"$@"
