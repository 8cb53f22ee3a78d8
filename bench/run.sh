#!/usr/bin/env bash
# The benchmark: every program on generated inputs of two sizes (1x and 8x),
# its time next to a plain copy of the same bytes (cat or cp), and the
# growth exponent between the sizes (1.0 is linear; 2.0 quadratic).
# Builds the release programs and the input generator; inputs and outputs go
# to build/bench/. Times are the best of three runs, in seconds.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
cmake --preset release -DQOR_BENCH=ON >/dev/null
cmake --build --preset release >/dev/null
bin="$top/build/release"
gen="$bin/bench/qorbenchgen"
work="$top/build/bench"
rm -rf "$work" && mkdir -p "$work"

runs=3

# Seconds of the fastest of $runs runs of the command in $1 (evaluated in
# the current directory); the command in $2, when given, runs untimed
# before each run (to lay out a fresh copy of an input).
best_time() {
  local best="" start end took
  for ((run = 0; run < runs; ++run)); do
    if [[ -n "${2:-}" ]]; then eval "$2"; fi
    start=$EPOCHREALTIME
    eval "$1" >/dev/null 2>&1
    end=$EPOCHREALTIME
    took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    if [[ -z "$best" ]] || awk -v t="$took" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best=$took
    fi
  done
  echo "$best"
}

# Peak resident memory of the command in kilobytes.
peak_kb() {
  /usr/bin/time -f %M -o "$work/peak" bash -c "$1" >/dev/null 2>&1
  tail -n 1 "$work/peak"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
exponent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (a > 0 && b > 0 ? log(b / a) / log(8) : 0) }'; }

printf '%-7s %-9s %9s %9s %9s %9s %7s %8s\n' program step "1x" "8x" "ref 1x" "ref 8x" "8x/ref" exponent
# One row: the program's times at 1x and 8x, the copy's at both, how many
# copies the 8x run takes, and the growth exponent.
row() {
  printf '%-7s %-9s %9s %9s %9s %9s %7s %8s\n' "$1" "$2" "$3" "$4" "$5" "$6" "$(ratio "$4" "$6")" \
    "$(exponent "$3" "$4")"
}

declare -A t
# --- qorlan: as many code pages as sections ---------------------------------
# 4,000 and 32,000 code sections in as many code pages, a quarter of them
# placed by SECTION lines and the rest by best fit.
placement_row() {
  local counts=(4000 32000) scale dir
  for scale in 1 8; do
    dir="$work/qorlan-place-$scale" && mkdir -p "$dir" && cd "$dir"
    "$gen" placement "${counts[$((scale == 1 ? 0 : 1))]}" "$dir"
    "$bin/linker/src/qorlan" /q place.lkr /o out.o /m out.map ||
      echo "qorlan: the ${scale}x placement failed"
    t[place$scale]=$(best_time "'$bin/linker/src/qorlan' /q place.lkr /o out.o /m out.map")
    t[cat$scale]=$(best_time "cat place.o place.lkr > copy")
  done
  row qorlan placement "${t[place1]}" "${t[place8]}" "${t[cat1]}" "${t[cat8]}"
  echo "qorlan placement growth exponent $(exponent "${t[place1]}" "${t[place8]}") (target at most 1.1)"
}
# "bench/run.sh placement" runs this row alone.
if [[ "${1:-}" == placement ]]; then
  placement_row
  exit 0
fi

# --- qortav: a listing of one source file with a label on every line -------
listing_lines=(8000 64000)
for scale in 1 8; do
  dir="$work/qortav-$scale" && mkdir -p "$dir"
  "$gen" listing "${listing_lines[$((scale == 1 ? 0 : 1))]}" in "$dir"
done
for scale in 1 8; do
  cd "$work/qortav-$scale"
  t[cod$scale]=$(best_time "'$bin/codconv/src/qortav' big.o")
  t[cat$scale]=$(best_time "cat big.o big.asm > copy")
done
row qortav listing "${t[cod1]}" "${t[cod8]}" "${t[cat1]}" "${t[cat8]}"
# The same object with its labels after the file's ".eof", at 100,000 lines.
for place in in after; do
  dir="$work/qortav-100k-$place" && mkdir -p "$dir" && "$gen" listing 100000 "$place" "$dir"
  cd "$dir" && t[$place]=$(best_time "'$bin/codconv/src/qortav' big.o")
done
echo "qortav 100,000 lines: labels in the run ${t[in]} s, after its .eof ${t[after]} s," \
  "ratio $(ratio "${t[in]}" "${t[after]}") (target at most 2)"

# --- qornip: a full program memory in INHX32 --------------------------------
hex_bytes=(262144 2097152)
for scale in 1 8; do
  dir="$work/qornip-$scale" && mkdir -p "$dir" && cd "$dir"
  "$gen" hex "${hex_bytes[$((scale == 1 ? 0 : 1))]}" "$dir"
  t[hex$scale]=$(best_time "'$bin/hexconv/src/qornip' image.o")
  t[cat$scale]=$(best_time "cat image.o > copy")
done
row qornip INHX32 "${t[hex1]}" "${t[hex8]}" "${t[cat1]}" "${t[cat8]}"
cd "$work/qornip-8"
peak=$(peak_kb "'$bin/hexconv/src/qornip' image.o")
held=$(( (hex_bytes[1] + $(stat -c %s image.hex)) / 1024 ))
echo "qornip 8x peak memory ${peak} KB, image plus text ${held} KB," \
  "ratio $(ratio "$peak" "$held") (target at most 1.5)"

# --- qorbu: libraries of many members ---------------------------------------
members=(1250 10000)
for scale in 1 8; do
  dir="$work/qorbu-$scale" && mkdir -p "$dir" && cd "$dir"
  "$gen" library "${members[$((scale == 1 ? 0 : 1))]}" "$dir"
  "$bin/librarian/src/qorbu" /q /c base.lib m*.o
done
qorbu="'$bin/librarian/src/qorbu'"
fresh="cp base.lib work.lib"
declare -A steps=(
  [create]="$qorbu /c work.lib m*.o|cat m*.o > copy|"
  [list]="$qorbu /t work.lib|cat work.lib > copy|$fresh"
  [delete]="$qorbu /d work.lib m00500.o|cp base.lib copy|$fresh"
  [replace]="$qorbu /r work.lib m00500.o|cp base.lib copy|$fresh"
  [extract]="$qorbu /x work.lib m00500.o|cat work.lib > copy|$fresh"
)
for step in create list delete replace extract; do
  IFS='|' read -r command reference setup <<<"${steps[$step]}"
  for scale in 1 8; do
    cd "$work/qorbu-$scale"
    t[lib$scale]=$(best_time "$command" "$setup")
    t[ref$scale]=$(best_time "$reference" "$setup")
  done
  row qorbu "$step" "${t[lib1]}" "${t[lib8]}" "${t[ref1]}" "${t[ref8]}"
done

# --- qorlan: a link of many objects and library members ----------------------
# At 8x: 1,000 objects that import 2,000 of the 4,000 members of two
# libraries, about 100,000 symbols in the output, and a program memory
# nearly full; the output object and the map file are written.
objects=(125 1000)
for scale in 1 8; do
  dir="$work/qorlan-$scale" && mkdir -p "$dir" && cd "$dir"
  "$gen" linker "${objects[$((scale == 1 ? 0 : 1))]}" "$dir"
  "$bin/linker/src/qorlan" /q link.lkr /o out.o /m out.map || echo "qorlan: the ${scale}x link failed"
  t[lan$scale]=$(best_time "'$bin/linker/src/qorlan' /q link.lkr /o out.o /m out.map")
  t[cat$scale]=$(best_time "cat o*.o liba.lib libb.lib link.lkr > copy")
done
row qorlan link "${t[lan1]}" "${t[lan8]}" "${t[cat1]}" "${t[cat8]}"
placement_row
