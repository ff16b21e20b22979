#!/usr/bin/env bash
# Generates catalogs of 20,000 and 100,000 tables (20 columns each) and
# measures the analysis against SQLite alone, the windows with and without
# progress, the command-line tool, the time to the first window and the
# peak memory. Ends with one "ratio NAME VALUE" or "peak-mb NAME VALUE"
# line per target. Usage: bench/run.sh [BUILD_DIR]  (default: build-bench,
# configured as a release build; a relative folder is taken from the
# project's top). A measured program that fails, or writes nothing where it
# should write something, fails the benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTCE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target catalog_bench windows_bench driver_bench document_bench history_bench tvcli09b tarvex-compest-batch >/dev/null
BENCH="$BUILD/bin/catalog_bench"
WINDOWS="$BUILD/bin/windows_bench"
BATCH="$BUILD/bin/tarvex-compest-batch"
[ -x "$BATCH" ] || { echo "bench: $BATCH was not built" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
DATA=$(mktemp -d)
OUT="$DATA/results.txt"
trap 'rm -rf "$DATA"' EXIT
"$BENCH" generate "$DATA/large" 20000 20
"$BENCH" generate "$DATA/huge" 100000 20
"$BENCH" generate "$DATA/four" 5000 20 4

echo "-- 20,000 tables, 400,000 columns"
"$BENCH" compare "$DATA/large" 15 | tee -a "$OUT"
"$WINDOWS" "$DATA/large" 3 2>/dev/null | tee -a "$OUT"
"$BENCH" batch "$DATA/large" "$BATCH" 5 | tee -a "$OUT"
echo "-- a server of 4 databases of 5,000 tables, two estimated at once"
"$BENCH" databases "$DATA/four" "$BATCH" 3 4 | tee -a "$OUT"
"$BUILD/bin/driver_bench" "$DATA/large" | tee -a "$OUT"
echo "-- 100,000 tables, 2,000,000 columns: peak memory"
"$BENCH" analysis "$DATA/huge" 0 100k | tee -a "$OUT"
"$WINDOWS" "$DATA/huge" memory 100k 2>/dev/null | tee -a "$OUT"
"$BENCH" batch-memory "$DATA/huge" "$BATCH" 100k | tee -a "$OUT"
echo "-- the history of runs: 100,000 tables a run; 365 runs of 20,000"
"$BUILD/bin/history_bench" "$DATA" | tee -a "$OUT"
echo "-- a run's document of 3,000,000 tables read back for a report"
"$BUILD/bin/document_bench" "$DATA/doc3m.json" 3000000
"$BUILD/bin/document_bench" measure report-from-3m "$BATCH" --report "$DATA/r3m.html" \
    --report-from "$DATA/doc3m.json" | tee -a "$OUT"
rm -f "$DATA/doc3m.json"
echo "-- a server of 1,100 small databases, --columns, under ulimit -n 256"
"$BENCH" generate "$DATA/many" 20 5 1100
(ulimit -n 256 && "$BUILD/bin/document_bench" measure all-databases-columns-1100 \
    "$BATCH" --database "$DATA/many/bench.db" --all-databases --columns --jobs 4) |
    tee -a "$OUT"
echo "-- targets"
grep -E '^(ratio|peak-mb|startup-ms|getdata-wide-4mb-1k-ms|plan-[a-z-]*-ms-100k|report-(ms|kb)-100k|report-from-3m-s|history-[a-z0-9-]*) ' "$OUT"
