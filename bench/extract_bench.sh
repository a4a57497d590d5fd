#!/usr/bin/env bash
# Times extracting every message of the generated 1 GiB store against copying the store with
# cp to the same file system, median of 5 runs each, from the page cache.
# Usage: bench/extract_bench.sh [BUILD_DIR]   (default: build; RUNS=N changes the 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
benchtime=$build/bench/benchtime
dbxrecover=$build/cli/dbxrecover
bench/scan_bench.sh "$build" >/dev/null  # makes sure the store exists
store=$build/bench/store-1g.dbx
work=$build/bench/work
cat "$store" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p"; }

# Each run writes into a folder of its own, after earlier writes were flushed (not timed).
# Deleting the files of one run before the next would make the file system's inode
# allocation, not the tools, the thing measured.
rm -rf "$work" && mkdir -p "$work"
copies=() extracts=() rss=0
for run in $(seq "$runs"); do
    sync
    copies+=("$("$benchtime" --runs 1 --label cp -- cp "$store" "$work/copy$run.dbx" | field median_ms)")
    sync
    line=$("$benchtime" --runs 1 --label extract -- "$dbxrecover" extract "$store" --out "$work/mails$run")
    extracts+=("$(field median_ms <<<"$line")")
    rss=$(awk -v a="$rss" -v b="$(field peak_rss_kb <<<"$line")" 'BEGIN { print (b > a ? b : a) }')
done
files=$(find "$work/mails1" -name '*.eml' | wc -l)
rm -rf "$work"
cp_ms=$(printf '%s\n' "${copies[@]}" | median)
extract_ms=$(printf '%s\n' "${extracts[@]}" | median)
awk -v cp="$cp_ms" -v ex="$extract_ms" -v rss="$rss" -v files="$files" 'BEGIN {
    printf "cp %.1f ms, extract (scan + %d files) %.1f ms, extract/cp %.2f, peak RSS %.1f MiB\n",
           cp, files, ex, ex / cp, rss / 1024
}'
