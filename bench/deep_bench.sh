#!/usr/bin/env bash
# Times the deep scan of a generated 1 GiB store against the plain scan, and the plain scan
# against a plain read of the file (dd), all from the page cache and paired run by run with
# hyperfine; then the deep scan's peak resident memory on a 2 GiB store (/usr/bin/time).
# Usage: bench/deep_bench.sh [BUILD_DIR]   (default: build; RUNS=N changes the 10 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-10}
dbxgen=$build/tools/dbxgen
dbxrecover=$build/cli/dbxrecover

source tools/deps.sh
ensure_packages "${BENCH_PACKAGES[@]}"
source bench/require_built.sh
require_built "$build" "$dbxgen" "$dbxrecover"

# Generated once, like scan_bench.sh's (the same options give the same bytes).
generate() {
    local store=$1 size=$2
    if [ ! -f "$store" ]; then
        mkdir -p "$(dirname "$store")"
        echo "Generating $store (once)..."
        "$dbxgen" --size "$size" --deleted 10% --seed 1 --damage --force "$store.partial"
        mv "$store.partial" "$store"
    fi
}
store=$build/bench/store-1g.dbx
big=$build/bench/store-2g.dbx
generate "$store" 1G
generate "$big" 2G

cat "$store" >/dev/null  # warm the page cache
results=$(mktemp)
trap 'rm -f "$results"' EXIT
hyperfine -N --style basic --warmup 2 --runs "$runs" --export-json "$results" \
    -n dd "dd if=$store bs=1M of=/dev/null" \
    -n scan "$dbxrecover scan --format json $store" \
    -n deep "$dbxrecover scan --deep --format json $store" >&2

# The fastest run of each: on a shared machine the others' load only ever adds time.
fastest() { sed -n "/\"command\": \"$1\"/,/\"min\"/s/.*\"min\": \([0-9.e-]*\).*/\1/p" "$results"; }
rss_kb=$(/usr/bin/time -f %M "$dbxrecover" scan --deep --format json "$big" 2>&1 >/dev/null |
    tail -1)
awk -v dd="$(fastest dd)" -v scan="$(fastest scan)" -v deep="$(fastest deep)" -v rss="$rss_kb" 'BEGIN {
    printf "warm, fastest of the runs: dd %.0f ms, scan %.0f ms, scan --deep %.0f ms\n", dd * 1000, scan * 1000,
           deep * 1000
    printf "scan/dd %.2f, deep/scan %.2f; scan --deep of 2 GiB: peak RSS %.1f MiB\n",
           scan / dd, deep / scan, rss / 1024
}'
