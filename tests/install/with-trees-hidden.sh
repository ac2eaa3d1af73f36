#!/usr/bin/env bash
# with-trees-hidden.sh BUILD SOURCE COMMAND...: runs COMMAND with the build and source trees out of
# reach, so that an installed program can't find anything there by accident. In a mount namespace
# of its own (unshare) empty folders are mounted over both; where that isn't allowed, the build
# folder is moved aside for the run and back afterwards (the source tree then stays in view).
set -euo pipefail
BUILD=$(cd "$1" && pwd -P)
SRC=$(cd "$2" && pwd -P)
shift 2

if unshare -rm true 2>/dev/null; then
  echo "build and source trees hidden in a mount namespace of their own"
  # The build folder first: it may lie inside the source tree, which hides it.
  exec unshare -rm bash -c '
    mount -t tmpfs -o size=64k none "$1" && mount -t tmpfs -o size=64k none "$2" || exit 1
    [ ! -e "$1/CMakeCache.txt" ] || { echo "the build tree is still in view" >&2; exit 1; }
    shift 2
    exec "$@"' _ "$BUILD" "$SRC" "$@"
fi

AWAY="$BUILD.moved-away-by-install-test.$$"
echo "build folder moved to $AWAY for the run (no mount namespaces here)"
mv "$BUILD" "$AWAY"
trap 'mv "$AWAY" "$BUILD"' EXIT
status=0
"$@" || status=$?
exit $status
