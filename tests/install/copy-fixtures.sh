#!/usr/bin/env bash
# copy-fixtures.sh FROM TO: the fixtures run-installed.sh uses.
set -euo pipefail
mkdir -p "$2"
for f in chapters.mp4 movie.avi not-a-movie.txt audio.wav spectrum-s16.wav sono-demo.wav; do
  cp "$1/$f" "$2/"
done
cp -r "$1/artwork" "$2/"
