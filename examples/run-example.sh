#!/usr/bin/env bash
# Builds the programs in release form and runs them on the bundled example.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
cmake --preset release >/dev/null
cmake --build --preset release
bin="$top/build/release"
work="$top/build/example"
rm -rf "$work" && mkdir -p "$work"
echo "Example output goes to $work"

# Each program adds its run below.

# QORTAV: the COD debug file and the listing of the example's absolute
# object. The sources are opened under the names held in the object, so the
# run takes place beside copies of them.
cp examples/codconv/blink.o examples/codconv/blink.asm examples/codconv/ports.inc "$work/"
(cd "$work" && "$bin/codconv/src/qortav" blink.o)
echo "qortav wrote $work/blink.cod and $work/blink.lst"
