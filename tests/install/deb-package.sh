#!/usr/bin/env bash
# deb-package.sh BUILD SOURCE: makes the .deb with CPack, lists it, checks that its control file
# names the libraries the programs need, unpacks it into a scratch root (dpkg -x) and runs each
# installed program from there with the build and source trees out of reach.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log"; fail "cpack"; }
debs=("$WORK"/package/mediatools_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no single mediatools_*.deb: ${debs[*]}"
DEB=${debs[0]}
echo "package: $(basename "$DEB"), $(du -k "$DEB" | cut -f1) KiB"

# The listing holds the programs, plug-ins, modules, pages and data under /usr.
dpkg-deb -c "$DEB" >"$WORK/listing"
for f in usr/bin/mediaprobe usr/bin/Kestrix usr/bin/auhost32 usr/lib/mediatools/OrrinthAU.so \
         usr/lib/mediatools/fftanalyser.so usr/lib/mediatools/mediatools-ffmpeg.so \
         usr/share/man/man1/mediaprobe.1.gz usr/share/mediatools/intro.mov; do
  grep -q " \./$f\( \|$\)" "$WORK/listing" || fail "$f is not in the package"
done
if grep -v ' \./usr/' "$WORK/listing" | grep -v ' \./$'; then fail "files outside /usr"; fi
echo "listing: $(wc -l <"$WORK/listing") entries, all under /usr"

# The control file: name, architecture and the dependencies dpkg-shlibdeps found.
[ "$(dpkg-deb -f "$DEB" Package)" = mediatools ] || fail "package name"
[ "$(dpkg-deb -f "$DEB" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
depends=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $depends"
for lib in 'libc6' 'libstdc\+\+6' 'libavformat[0-9]+' 'libavcodec[0-9]+' 'libswscale[0-9]+' 'libplist[0-9]*' \
           'libcairo2' 'libpng16-16' 'libturbojpeg0' 'liblua5\.4-0' 'libgl1' 'libsdl2-2\.0-0' 'libc6-i386' 'libtag1v5' \
           'lib32stdc\+\+6'; do
  grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends does not name $lib"
done

# Unpacked as dpkg would, and run from there.
dpkg -x "$DEB" "$WORK/root"
bash "$HERE/check-layout.sh" "$WORK/root/usr"
bash "$HERE/copy-fixtures.sh" "$BUILD/fixtures" "$WORK/fixtures"
cp -r "$SRC/examples" "$WORK/examples"
cp "$HERE/run-installed.sh" "$HERE/with-trees-hidden.sh" "$WORK/"
bash "$WORK/with-trees-hidden.sh" "$BUILD" "$SRC" bash "$WORK/run-installed.sh" "$WORK/root/usr" "$WORK/fixtures" "$WORK/examples" "$WORK/run"
echo "the unpacked package runs with the build folder out of the way"
