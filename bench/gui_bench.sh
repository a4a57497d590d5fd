#!/usr/bin/env bash
# The desktop program against the command-line tool: the search of the generated 1 GiB store
# through the main window (offscreen, Next to the end of the search) and `dbxrecover scan` of
# the same store, both from the page cache, median of 5; then the time from a click on a 1 MB
# HTML message to its page in the preview pane; and 40,000 rows put one by one on top of the list.
# Usage: bench/gui_bench.sh [BUILD_DIR]   (default: build; RUNS=N changes the 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
gui_bench=$build/bench/gui_bench
if [ ! -x "$gui_bench" ]; then
    echo "gui_bench: $gui_bench is missing; build first:" >&2
    echo "  cmake -S . -B $build -DCMAKE_BUILD_TYPE=Release && cmake --build $build -j2" >&2
    exit 1
fi
bench/scan_bench.sh "$build" >/dev/null  # makes sure the store exists
store=$build/bench/store-1g.dbx
cat "$store" >/dev/null

cli_line=$("$build/bench/benchtime" --runs "$runs" --label cli_scan -- \
    "$build/cli/dbxrecover" scan --format json "$store")
gui_line=$("$gui_bench" scan "$store" "$runs" 2>/dev/null | grep '^gui_scan')
preview_line=$("$gui_bench" preview "$runs" 2>/dev/null | grep '^gui_preview')
rows_line=$("$gui_bench" rows 40000 2>/dev/null | grep '^gui_rows')
echo "$cli_line"
echo "$gui_line"
echo "$preview_line"
echo "$rows_line"

field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" <<<"$2"; }
awk -v cli="$(field median_ms "$cli_line")" -v gui="$(field median_ms "$gui_line")" \
    -v preview="$(field median_ms "$preview_line")" 'BEGIN {
        printf "scan: dbxrecover %.1f ms, main window %.1f ms, window/cli %.2f (target <= 1.25)\n",
               cli, gui, gui / cli
        printf "preview of a 1 MB HTML message: %.1f ms from click to page (target < 300)\n", preview
    }'
