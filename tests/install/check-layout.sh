#!/usr/bin/env bash
# check-layout.sh PREFIX: the installed tree has every program, plug-in, module, library, header,
# data file, example, manual page and icon in its place, and nothing from the build's tests.
set -euo pipefail
PREFIX=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
missing=()
need() { for f in "$@"; do [ -e "$PREFIX/$f" ] || [ -L "$PREFIX/$f" ] || missing+=("$f"); done; }

programs=(mediaprobe Kestrix Ripplecast waveform-picture Coverfetch auhost auhost32 gradient-sheet comphost sonogram
          quarn-demo)
for p in "${programs[@]}"; do need "bin/$p" "share/man/man1/$p.1.gz"; done
need share/man/man7/mediatools.7.gz
need lib/mediatools/mediatools-codec.so lib/mediatools/mediatools-ffmpeg.so lib/mediatools/mediatools-playback.so
need share/applications/Kestrix.desktop
need lib/mediatools/OrrinthAU.so lib/mediatools/fftanalyser.so lib/mediatools/Sonograph.so
need share/mediatools/intro.mov
need share/doc/mediatools/README.md share/doc/mediatools/examples/FindEmbeddedArtwork.lua
need share/doc/mediatools/examples/README.md
need include/quarn/Quarn.h share/quarn/Guide.md
for size in 16 24 32 48 64 128 256; do need "share/icons/hicolor/${size}x$size/apps/Kestrix.png"; done
[ ${#missing[@]} -eq 0 ] || fail "not installed: ${missing[*]}"

# libQuarn with its links, pkg-config file and CMake package, in the library folder of the prefix.
quarn=$(find "$PREFIX" -name libQuarn.so.1.0.0)
[ -n "$quarn" ] || fail "libQuarn.so.1.0.0 not installed"
libdir=$(dirname "$quarn")
[ "$(readlink "$libdir/libQuarn.so.1")" = libQuarn.so.1.0.0 ] && [ "$(readlink "$libdir/libQuarn.so")" = libQuarn.so.1 ] ||
  fail "libQuarn's links"
[ -f "$libdir/pkgconfig/quarn.pc" ] && [ -f "$libdir/cmake/Quarn/QuarnConfig.cmake" ] || fail "quarn.pc or Quarn's CMake package"
[ "$(readlink "$PREFIX/share/man/man1/auhost32.1.gz")" = auhost.1.gz ] || fail "auhost32's page is not a link to auhost's"

# Only the suite's own files: no test suites, benchmarks or build helpers.
strays=$(find "$PREFIX" \( -name '*_tests*' -o -name '*bench*' -o -name 'run-i386' -o -name 'kestrix-icon' \
         -o -name '*.a' -o -name 'CMakeCache.txt' \) -print)
[ -z "$strays" ] || fail "installed by mistake: $strays"
# Programs don't look for libraries in the build tree.
for f in "$PREFIX"/bin/* "$PREFIX"/lib/mediatools/*; do
  if readelf -d "$f" 2>/dev/null | grep -E 'R(UN)?PATH' | grep -q -v ORIGIN; then
    fail "$f carries a library search path: $(readelf -d "$f" | grep -E 'R(UN)?PATH')"
  fi
done
echo "ok: layout of $PREFIX ($(find "$PREFIX" -type f | wc -l) files)"
