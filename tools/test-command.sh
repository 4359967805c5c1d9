#!/bin/sh
# Prints the README's test command (its second command), which CI and releases run as written
# there, so that what the README tells a new user is what is checked.
set -eu
command=$(sed -n '/^```sh$/{n;p}' "$(dirname "$0")/../README.md" | sed -n 2p)
case $command in
*ctest*) echo "$command" ;;
*) echo "test-command: no test command as the README's second command" >&2; exit 1 ;;
esac
