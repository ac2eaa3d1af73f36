#!/bin/sh
# Runs a window test program on a virtual X display of its own (xvfb-run -a, a 1280 x 1024 x 24
# screen). Where xvfb-run is missing the program runs as it is and its window tests skip, saying why.
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
fi
echo "with-display: xvfb-run is not installed; the window tests skip" >&2
exec "$@"
