#!/usr/bin/env bash
# man-pages.sh MANDIR BINDIR: every built manual page renders with man -l without a warning, and
# every option a program's --help offers is described in its page.
set -euo pipefail
MANDIR=$1
BIN=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 MANWIDTH=80
pages=$(find "$MANDIR" -path "$MANDIR/man[0-9]/*" -type f ! -name '*.gz' | sort)
[ -n "$pages" ] || fail "no pages in $MANDIR"
for page in $pages; do
  warnings=$(man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  text=$(man -E UTF-8 -l "$page" 2>/dev/null)
  name=$(basename "$page")
  grep -q '^NAME' <<<"$text" && grep -q '^DESCRIPTION' <<<"$text" || fail "$name has no NAME or DESCRIPTION"
  program=${name%.1}
  [ "$program" != "$name" ] || continue
  # A program's page: how to call it and what it answers.
  grep -q '^SYNOPSIS' <<<"$text" && grep -q '^EXIT STATUS' <<<"$text" || fail "$name has no SYNOPSIS or EXIT STATUS"
  [ -x "$BIN/$program" ] || fail "$name documents no program of $BIN"
  for option in $("$BIN/$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || fail "$name does not describe $option"
  done
done
echo "ok: $(wc -w <<<"$pages") pages render without warnings and describe their programs' options"
