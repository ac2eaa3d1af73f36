#!/usr/bin/env bash
# Installs Quarn (component "quarn") with DESTDIR into a temporary staging folder, checks the
# installed tree, then builds the examples as an outside program would and runs the off-screen one.
#   install-example.sh BUILD_DIR SOURCE_DIR pkgconfig|cmake|headers
# QUARN_EXAMPLE_FLAGS: extra compiler and linker flags (the sanitizers a library was built with).
set -euo pipefail
EXTRA=${QUARN_EXAMPLE_FLAGS:-}
BUILD=$1
SRC=$2
MODE=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
DESTDIR="$WORK/stage" cmake --install "$BUILD" --component quarn --prefix /opt/quarn >"$WORK/install.log"
PREFIX="$WORK/stage/opt/quarn"
PC=$(find "$PREFIX" -name quarn.pc | head -1)
[ -n "$PC" ] || { echo "quarn.pc not installed"; exit 1; }
LIBDIR=$(dirname "$(dirname "$PC")")

# The library with its two links, the headers, the guide, the CMake package.
[ -f "$LIBDIR/libQuarn.so.1.0.0" ] || { echo "libQuarn.so.1.0.0 missing"; exit 1; }
[ "$(readlink "$LIBDIR/libQuarn.so.1")" = libQuarn.so.1.0.0 ] || { echo "libQuarn.so.1 is not a link to 1.0.0"; exit 1; }
[ "$(readlink "$LIBDIR/libQuarn.so")" = libQuarn.so.1 ] || { echo "libQuarn.so is not a link to .so.1"; exit 1; }
[ -f "$PREFIX/include/quarn/Quarn.h" ] || { echo "include/quarn/Quarn.h missing"; exit 1; }
[ -f "$PREFIX/share/quarn/Guide.md" ] || { echo "share/quarn/Guide.md missing"; exit 1; }
[ -f "$LIBDIR/cmake/Quarn/QuarnConfig.cmake" ] || { echo "QuarnConfig.cmake missing"; exit 1; }
if grep -l '#include "platform/' "$PREFIX"/include/quarn/*.h; then echo "public header includes the platform layer"; exit 1; fi

export LD_LIBRARY_PATH="$LIBDIR"
case "$MODE" in
  headers)
    # Every public header compiles on its own.
    for h in "$PREFIX"/include/quarn/*.h; do
      printf '#include <quarn/%s>\n' "$(basename "$h")" >"$WORK/one.cpp"
      c++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only $(PKG_CONFIG_PATH="$LIBDIR/pkgconfig" pkg-config --cflags quarn) \
        "$WORK/one.cpp" || { echo "header $(basename "$h") does not compile alone"; exit 1; }
    done
    echo "every public header compiles alone"
    ;;
  pkgconfig)
    flags=$(PKG_CONFIG_PATH="$LIBDIR/pkgconfig" pkg-config --cflags --libs quarn)
    case "$flags" in *"$PREFIX"*) ;; *) echo "pkg-config flags do not point at the staging prefix: $flags"; exit 1 ;; esac
    for example in offscreen window; do
      c++ -std=c++20 -Wall -Wextra -Werror $EXTRA "$SRC/examples/quarn/$example.cpp" $flags -o "$WORK/$example"
    done
    loaded=$(ldd "$WORK/offscreen")
    case "$loaded" in *"$LIBDIR/libQuarn.so.1"*) ;; *) echo "example does not load the staged library"; exit 1 ;; esac
    (cd "$WORK" && env -u DISPLAY ./offscreen "$WORK/frame.png")
    [ -s "$WORK/frame.png" ] || { echo "no PNG written"; exit 1; }
    ;;
  cmake)
    cmake -S "$SRC/examples/quarn" -B "$WORK/examples" -DCMAKE_PREFIX_PATH="$PREFIX" \
      -DCMAKE_CXX_FLAGS="$EXTRA" -DCMAKE_EXE_LINKER_FLAGS="$EXTRA" >"$WORK/configure.log"
    cmake --build "$WORK/examples" -j2 >"$WORK/build.log" || { cat "$WORK/build.log"; exit 1; }
    (cd "$WORK" && env -u DISPLAY "$WORK/examples/offscreen" "$WORK/frame.png")
    [ -s "$WORK/frame.png" ] || { echo "no PNG written"; exit 1; }
    ;;
  *) echo "unknown mode $MODE"; exit 2 ;;
esac
echo "quarn example ($MODE) built against the staged install and ran"
