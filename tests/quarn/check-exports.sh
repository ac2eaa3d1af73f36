#!/usr/bin/env bash
# libQuarn's dynamic symbol table holds the framework's own symbols only: Quarn classes (with
# their type information and virtual tables) and the plain C kit. Nothing of the foundation,
# graphics or GL-context layers, nor of Dear ImGui, may be visible.
set -euo pipefail
LIB=$1
symbols=$(nm -D --defined-only -C "$LIB" | awk '$2 != "A" { $1 = ""; $2 = ""; sub(/^  /, ""); print }' | sed 's/@@QUARN_1.0$//')
count=$(printf '%s\n' "$symbols" | grep -c . || true)
bad=$(printf '%s\n' "$symbols" | grep -v -E \
  '^(Quarn[A-Za-z0-9_]*(::|\(|$)|QuarnArrayController<Quarn[A-Za-z]*>::|(typeinfo|typeinfo name|vtable) for Quarn|vector[A-Z][A-Za-z]*$|random(Sign|Float|Range|Vector)$|(plainCube|texturedCube|xtexturedCube|texturedQuad|icosahedron)$)' || true)
if [ -n "$bad" ]; then
  echo "symbols exported that are not the framework's own:"
  printf '%s\n' "$bad" | head -40
  exit 1
fi
# The interface itself is there (an empty table would pass the check above).
for wanted in 'QuarnView::render()' 'QuarnCore::newModel()' 'QuarnHeadlessContext::contextWithSize(int, int)' \
              'QuarnCoreController::changeLighting(QuarnControlState*)' 'vectorCross' 'icosahedron' 'QuarnSetLogSink('; do
  if ! printf '%s\n' "$symbols" | grep -qF "$wanted"; then
    echo "missing export: $wanted"
    exit 1
  fi
done
# Every symbol carries the library's version node.
if nm -D --defined-only "$LIB" | awk '$2 != "A"' | grep -v -q '@@QUARN_1.0$'; then
  echo "symbols without the QUARN_1.0 version node:"
  nm -D --defined-only "$LIB" | awk '$2 != "A"' | grep -v '@@QUARN_1.0$' | head
  exit 1
fi
echo "libQuarn exports $count symbols, all the framework's own"
