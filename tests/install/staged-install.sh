#!/usr/bin/env bash
# staged-install.sh BUILD SOURCE: installs the build with DESTDIR into a staging folder (the build
# folder keeps everything), checks the installed tree, then runs each installed program from
# there with the build and source trees out of reach.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

DESTDIR="$WORK/stage" cmake --install "$BUILD" --prefix /usr >"$WORK/install.log" ||
  { cat "$WORK/install.log"; exit 1; }
PREFIX="$WORK/stage/usr"
bash "$HERE/check-layout.sh" "$PREFIX"

# What the run needs, copied out of the trees that are about to be hidden.
bash "$HERE/copy-fixtures.sh" "$BUILD/fixtures" "$WORK/fixtures"
cp -r "$SRC/examples" "$WORK/examples"
cp "$HERE/run-installed.sh" "$HERE/with-trees-hidden.sh" "$WORK/"
bash "$WORK/with-trees-hidden.sh" "$BUILD" "$SRC" bash "$WORK/run-installed.sh" "$PREFIX" "$WORK/fixtures" "$WORK/examples" "$WORK/run"
echo "the staged install runs with the build folder out of the way"
