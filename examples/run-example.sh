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
