#!/usr/bin/env bash
# run-installed.sh PREFIX FIXTURES EXAMPLES WORK: runs every installed program of PREFIX/bin on
# real input, as a user would, and checks what each leaves behind; builds the Quarn example of
# EXAMPLES against PREFIX's quarn.pc and runs it. Nothing of the build or source tree may be
# reachable (the callers hide them); LD_DEBUG=files shows which plug-in and module files a program
# loaded, and each must come from PREFIX. Prints one line per check; exits 1 at the first failure.
set -euo pipefail
PREFIX=$1
FIX=$2
EXAMPLES=$3
WORK=$4
BIN="$PREFIX/bin"
PY=/usr/bin/python3
[ -x "$PY" ] || PY=python3

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

# A home of its own, no display, nothing pointing at other modules or libraries.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/config" XDG_DATA_HOME="$WORK/home/data"
mkdir -p "$HOME" "$WORK/out"
unset DISPLAY WAYLAND_DISPLAY MT_MEDIA_MODULE_DIR LD_LIBRARY_PATH || true
cd "$WORK/out"

# loaded_from NAME LOGFILE: the files named NAME that the dynamic loader opened (the paths it
# names as opened, as needing others, or as initialised).
loaded_from() { grep -oE "/[^ ]*/$1( |$)" "$2" | sed 's/ $//' | sort -u; }
# from_prefix PATTERN LOGFILE: every such file lies in PREFIX, and there is one.
from_prefix() {
  local files
  files=$(loaded_from "$1" "$2")
  [ -n "$files" ] || fail "$1 was not loaded"
  while read -r f; do
    case "$f" in "$PREFIX"/*) ;; *) fail "$1 loaded from $f, outside $PREFIX" ;; esac
  done <<<"$files"
}
# How i386 programs run here: natively, under QEMU's user-mode emulator, or not at all.
I386_MODE=none
if [ -x "$BIN/auhost32" ]; then
  if "$BIN/auhost32" --version >/dev/null 2>&1; then
    I386_MODE=native
  elif command -v qemu-i386 >/dev/null && qemu-i386 -L / "$BIN/auhost32" --version >/dev/null 2>&1; then
    I386_MODE=qemu
  fi
fi
run32() { if [ "$I386_MODE" = qemu ]; then qemu-i386 -L / "$@"; else "$@"; fi; }
# run_program NAME ARGS...: the installed program, the i386 one as this machine can.
run_program() {
  local name=$1
  shift
  if [ "$name" = auhost32 ]; then run32 "$BIN/$name" "$@"; else "$BIN/$name" "$@"; fi
}

png_size() { "$PY" -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); assert d[:8]==b"\x89PNG\r\n\x1a\n"; print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"; }
jpeg_size() {
  "$PY" - "$1" <<'PYEOF'
import struct, sys
d = open(sys.argv[1], "rb").read()
assert d[:2] == b"\xff\xd8", "not a JPEG"
i = 2
while i < len(d):
    marker, length = d[i + 1], struct.unpack(">H", d[i + 2:i + 4])[0]
    if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
        h, w = struct.unpack(">HH", d[i + 5:i + 9])
        print("%dx%d" % (w, h))
        break
    i += 2 + length
PYEOF
}

# Every program answers --help and --version on standard output with status 0, and has a page.
programs=$(cd "$BIN" && ls)
[ -n "$programs" ] || fail "nothing installed in $BIN"
suite_version=""
for p in $programs; do
  [ -f "$PREFIX/share/man/man1/$p.1.gz" ] || fail "no manual page for $p"
  if [ "$p" = auhost32 ] && [ "$I386_MODE" = none ]; then
    echo "skip: $p can't run here (no IA-32 support, no qemu-i386)"
    continue
  fi
  out=$(run_program "$p" --help 2>"$WORK/err") || fail "$p --help exited with $?"
  [ ! -s "$WORK/err" ] || fail "$p --help wrote to standard error: $(cat "$WORK/err")"
  case "$out" in "usage: $p "*) ;; *) fail "$p --help does not start with its usage line: ${out%%$'\n'*}" ;; esac
  version=$(run_program "$p" --version) || fail "$p --version exited with $?"
  [[ "$version" =~ ^$p\ [0-9]+\.[0-9]+\.[0-9]+\ \(mediatools\ ([0-9]+\.[0-9]+\.[0-9]+)\)$ ]] ||
    fail "$p --version: '$version'"
  [ -z "$suite_version" ] || [ "$suite_version" = "${BASH_REMATCH[1]}" ] || fail "$p names another suite version"
  suite_version=${BASH_REMATCH[1]}
done
ok "every program ($(echo $programs | wc -w)) answers --help and --version and has a manual page (suite $suite_version)"

# mediaprobe: a movie with chapters through the suite's own reader, an AVI through the FFmpeg module.
LD_DEBUG=files "$BIN/mediaprobe" "$FIX/chapters.mp4" chapters.plist 2>"$WORK/ld.log" || fail "mediaprobe chapters.mp4: status $?"
"$PY" - chapters.plist "$FIX/chapters.mp4" <<'PYEOF' || fail "mediaprobe results of chapters.mp4"
import plistlib, sys
d = plistlib.load(open(sys.argv[1], "rb"))
assert d["Location"] == sys.argv[2], d
assert d["Total Time"] > 0 and d["Has Video"] == 1 and d["Has Audio"] == 1, d
assert len(d["Chapters"]) >= 2, d
PYEOF
LD_DEBUG=files "$BIN/mediaprobe" "$FIX/movie.avi" avi.plist 2>"$WORK/ld.log" || fail "mediaprobe movie.avi: status $?"
from_prefix mediatools-ffmpeg.so "$WORK/ld.log"
"$PY" -c 'import plistlib,sys; d=plistlib.load(open("avi.plist","rb")); assert d["Has Video"]==1 and d["Total Time"]>0, d' ||
  fail "mediaprobe results of movie.avi"
status=0; "$BIN/mediaprobe" "$FIX/not-a-movie.txt" text.plist 2>/dev/null || status=$?
[ "$status" = 3 ] && [ ! -e text.plist ] || fail "mediaprobe on a text file: status $status"
ok "mediaprobe: chapters and properties written; the FFmpeg module came from $PREFIX/lib/mediatools"

# Kestrix, results mode: posters through the codec module, and of the installed sample movie.
LD_DEBUG=files "$BIN/Kestrix" "$FIX/chapters.mp4" poster.jpg 2>"$WORK/ld.log" || fail "Kestrix poster: status $?"
[ "$(jpeg_size poster.jpg)" = 512x512 ] || fail "Kestrix poster is not 512 x 512"
from_prefix mediatools-codec.so "$WORK/ld.log"
"$BIN/Kestrix" "$WORK/no-such-movie.mp4" fallback.jpg 2>"$WORK/err" || fail "Kestrix fallback poster: status $?"
[ "$(jpeg_size fallback.jpg)" = 512x512 ] || fail "no poster of the sample movie: $(cat "$WORK/err")"
ok "Kestrix: 512 x 512 posters, of a movie and of $PREFIX/share/mediatools/intro.mov"

# Ripplecast stores a waveform; waveform-picture draws it.
"$BIN/Ripplecast" "$FIX/audio.wav" || fail "Ripplecast: status $?"
stored=$(find "$XDG_DATA_HOME/Karvane/Waveforms" -name '*.acwaveform' | wc -l)
[ "$stored" = 1 ] || fail "Ripplecast stored $stored waveforms"
"$BIN/waveform-picture" "$FIX/audio.wav" waveform.png --width 300 --height 80 || fail "waveform-picture: status $?"
[ "$(png_size waveform.png)" = 300x80 ] || fail "waveform picture size"
ok "Ripplecast stored the waveform under XDG_DATA_HOME; waveform-picture drew it"

# Coverfetch with the installed example script; the music application is this shell.
mkdir -p "$XDG_CONFIG_HOME/Coverfetch"
cat >"$XDG_CONFIG_HOME/Coverfetch/defaults.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>kMusicApplicationProcessName</key><string>$(cat /proc/$$/comm)</string>
<key>kMusicApplicationPath</key><string>/bin/false</string>
</dict></plist>
PLIST
script="$PREFIX/share/doc/mediatools/examples/FindEmbeddedArtwork.lua"
[ -f "$script" ] || fail "example script not installed"
COVERFETCH_MUSIC_DIR="$FIX/artwork/Music" "$BIN/Coverfetch" "first song" "$script" art.plist || fail "Coverfetch: status $?"
"$PY" - art.plist "$FIX/artwork/cover.jpg" <<'PYEOF' || fail "Coverfetch results"
import plistlib, sys
d = plistlib.load(open(sys.argv[1], "rb"))
assert d["searchTerm"] == "first song", d
assert d["imageData"] == open(sys.argv[2], "rb").read(), "imageData is not the embedded cover"
PYEOF
ok "Coverfetch: the installed example script found the embedded cover"

# The spectrum analysers, named without a folder, from the installed plug-in folder.
LD_DEBUG=files "$BIN/auhost" OrrinthAU.so "$FIX/spectrum-s16.wav" --every 16 >spectrum.txt 2>"$WORK/ld.log" ||
  fail "auhost: status $?"
from_prefix OrrinthAU.so "$WORK/ld.log"
[ "$(head -n 1 spectrum.txt | wc -w)" = 16 ] || fail "auhost printed no 16-band spectra"
if [ -x "$BIN/auhost32" ]; then
  if [ "$I386_MODE" = none ]; then
    echo "skip: auhost32 can't run here (no IA-32 support, no qemu-i386)"
  else
    run_program auhost32 fftanalyser.so "$FIX/spectrum-s16.wav" --every 16 >spectrum32.txt || fail "auhost32: status $?"
    [ "$(head -n 1 spectrum32.txt | wc -w)" = 16 ] || fail "auhost32 printed no 16-band spectra"
    ok "auhost32 ran fftanalyser.so from $PREFIX/lib/mediatools ($I386_MODE)"
  fi
fi
ok "auhost ran OrrinthAU.so from $PREFIX/lib/mediatools"

# sonogram and comphost with the installed plug-ins; gradient-sheet.
LD_DEBUG=files "$BIN/sonogram" "$FIX/sono-demo.wav" sonogram.png --width 256 --height 128 2>"$WORK/ld.log" ||
  fail "sonogram: status $?"
from_prefix OrrinthAU.so "$WORK/ld.log"
from_prefix Sonograph.so "$WORK/ld.log"
[ "$(png_size sonogram.png)" = 256x128 ] || fail "sonogram picture size"
"$BIN/comphost" Sonograph.so >ports.txt || fail "comphost: status $?"
grep -q '^Sonograph' ports.txt && grep -q 'inputSpectrum' ports.txt || fail "comphost did not list the sonograph's ports"
"$BIN/gradient-sheet" gradients.png || fail "gradient-sheet: status $?"
[ "$(png_size gradients.png | cut -dx -f1)" = 512 ] || fail "gradient sheet width"
ok "sonogram, comphost and gradient-sheet with the installed plug-ins"

# Quarn: the demo off screen, and the example built against the installed quarn.pc.
LD_DEBUG=files "$BIN/quarn-demo" --frames 3 --png quarn.png --size 160x120 >/dev/null 2>"$WORK/ld.log" ||
  fail "quarn-demo: status $?"
from_prefix libQuarn.so.1 "$WORK/ld.log"
[ "$(png_size quarn.png)" = 160x120 ] || fail "quarn-demo picture size"
pc=$(find "$PREFIX" -name quarn.pc)
flags=$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs quarn) || fail "pkg-config quarn"
case "$flags" in *"$PREFIX"*) ;; *) fail "quarn.pc does not point into $PREFIX: $flags" ;; esac
c++ -std=c++20 -Wall -Wextra -Werror "$EXAMPLES/quarn/offscreen.cpp" $flags -o offscreen || fail "the Quarn example does not build"
LD_LIBRARY_PATH=$(dirname "$(dirname "$pc")") ./offscreen frame.png >/dev/null || fail "the Quarn example: status $?"
[ -s frame.png ] || fail "the Quarn example wrote no picture"
ok "quarn-demo with the installed libQuarn; the example built against $pc and ran"
