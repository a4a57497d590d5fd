#!/usr/bin/env bash
# Times a full scan of a generated 1 GiB store against reading the same file with cat and with
# dd (1 MiB blocks), all from the page cache, and reports the scan's peak resident memory.
# Usage: bench/scan_bench.sh [BUILD_DIR]   (default: build; RUNS=N changes the 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
dbxgen=$build/tools/dbxgen
benchtime=$build/bench/benchtime
dbxrecover=$build/cli/dbxrecover

source bench/require_built.sh
require_built "$build" "$dbxgen" "$benchtime" "$dbxrecover"

# Generated once; a later run reuses it. A fixed seed keeps the bytes the same everywhere.
store=$build/bench/store-1g.dbx
if [ ! -f "$store" ]; then
    mkdir -p "$build/bench"
    echo "Generating $store (once)..."
    "$dbxgen" --size 1G --deleted 10% --seed 1 --damage --force "$store.partial"
    mv "$store.partial" "$store"
fi

cat "$store" >/dev/null  # warm the page cache, so both sides read from memory

cat_line=$("$benchtime" --runs "$runs" --label cat -- cat "$store")
dd_line=$("$benchtime" --runs "$runs" --label dd -- dd if="$store" bs=1M of=/dev/null status=none)
scan_line=$("$benchtime" --runs "$runs" --label scan -- "$dbxrecover" scan --format json "$store")
echo "$cat_line"
echo "$dd_line"
echo "$scan_line"

field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" <<<"$2"; }
awk -v cat="$(field median_ms "$cat_line")" -v dd="$(field median_ms "$dd_line")" \
    -v scan="$(field median_ms "$scan_line")" -v rss="$(field peak_rss_kb "$scan_line")" 'BEGIN {
        printf "cat %.1f ms, dd %.1f ms, scan %.1f ms, scan/cat %.2f, scan/dd %.2f, " \
               "scan peak RSS %.1f MiB\n", cat, dd, scan, scan / cat, scan / dd, rss / 1024
    }'
