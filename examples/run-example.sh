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

# Hex converter: the bundled absolute object in all three layouts, the
# default INHX32 file checked against the bundled copy.
mkdir -p "$work/hexconv" && (
  cd "$work/hexconv"
  "$bin/hexconv/src/qornip" "$top/examples/hexconv/blink.o"
  cmp blink.hex "$top/examples/hexconv/blink.hex"
  "$bin/hexconv/src/qornip" /q /a INHX8M "$top/examples/hexconv/blink.o" && mv blink.hex blink-inhx8m.hex
  "$bin/hexconv/src/qornip" /q /a INHX8S /r 0x0000-0x0FFF "$top/examples/hexconv/blink.o"
  "$bin/hexconv/src/qornip" /q "$top/examples/hexconv/blink.o"
  echo "Hex converter: $(ls | tr '\n' ' ')"
)

# Librarian: a library from the bundled example objects, then its listing.
librarian_work="$work/librarian"
mkdir -p "$librarian_work"
cp "$top/examples/librarian/delay.o" "$top/examples/librarian/blink.o" "$librarian_work/"
(
  cd "$librarian_work"
  "$bin/librarian/src/qorbu" /c example.lib delay.o blink.o
  "$bin/librarian/src/qorbu" /t example.lib
)

# Linker: each core family's example linked from its command file, its two
# objects and its library (which gives up only the member that main calls),
# then the linked object turned into Intel HEX and into a COD file with its
# listing. The listing opens the sources under the names held in the
# object, so every step runs beside copies of the example's files.
for family in vesk mirel zarn ostra; do
  linker_work="$work/linker/$family"
  mkdir -p "$linker_work"
  cp "$top/examples/linker/$family/"* "$linker_work/"
  echo "Linker example '$family' in $linker_work:"
  (
    cd "$linker_work"
    "$bin/linker/src/qorlan" "$family.lkr" main.o io.o util.lib -o "$family.o" -m "$family.map"
    "$bin/hexconv/src/qornip" "$family.o"
    "$bin/codconv/src/qortav" "$family.o"
    echo "qorlan wrote $family.o and $family.map, qornip $family.hex, qortav $family.cod and $family.lst"
  )
done
