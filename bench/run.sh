#!/usr/bin/env bash
# Generates the 20,000-table catalog and times SQLite alone against the
# analysis run. Usage: bench/run.sh [BUILD_DIR]  (default: build-bench,
# configured as a release build).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTCE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target catalog_bench tvcli09b >/dev/null
BENCH="$BUILD/bin/catalog_bench"
DATA=$(mktemp -d)
trap 'rm -rf "$DATA"' EXIT
"$BENCH" generate "$DATA/large" 20000 20
"$BENCH" generate "$DATA/small" 5000 20
echo "-- 20,000 tables, 400,000 columns"
"$BENCH" sqlite "$DATA/large"
"$BENCH" sqlite-read "$DATA/large"
"$BENCH" analysis "$DATA/large"
echo "-- listing nothing (minimum 100 %): memory beside the grid rows"
"$BENCH" analysis "$DATA/small" 100
"$BENCH" analysis "$DATA/large" 100
