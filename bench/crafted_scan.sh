#!/usr/bin/env bash
# Times `dbxrecover scan` of the stores whose every probe once read on to the end of the store
# (build/bench/crafted_store: entries, sender-run, places) at 1, 4 and 16 MiB, the places shape
# also with 1000 and 20000 pairs of address places, the stores whose searches weigh every
# address start after them (starts: thousands of pairs over forty reaches; reaches: a reach of
# its own for each pair), and how soon Ctrl-C ends a scan of each shape at 256 MiB.
# Usage: bench/crafted_scan.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
make_store=$build/bench/crafted_store
benchtime=$build/bench/benchtime
dbxrecover=$build/cli/dbxrecover
source bench/require_built.sh
require_built "$build" "$make_store" "$benchtime" "$dbxrecover"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# "no messages found" for every run: the stores hold no record.
exec 2> >(grep -v "no messages found" >&2)
for shape in entries sender-run places; do
    for mib in 1 4 16; do
        store=$work/$shape-$mib.dbx
        "$make_store" "$shape" $((mib << 20)) "$store"
        "$benchtime" --runs 3 --label "$shape-${mib}MiB" -- "$dbxrecover" scan "$store"
        echo "rows: $("$dbxrecover" scan --format csv "$store" 2>/dev/null | tail -n +2 | wc -l)"
    done
done
for pairs in 1000 20000; do
    store=$work/places-$pairs.dbx
    "$make_store" places $((16 << 20)) "$store" "$pairs"
    "$benchtime" --runs 3 --label "places-16MiB-$pairs-pairs" -- "$dbxrecover" scan "$store"
done
# Shape, MiB, pairs. With a reach of their own the pairs cost reaches times starts until a
# stretch's budget of starts is spent, then a constant per record.
for run in "starts 1 2000" "starts 16 20000" "reaches 1 2000" "reaches 4 8000" \
    "reaches 16 20000" "reaches 64 20000"; do
    read -r shape mib pairs <<<"$run"
    store=$work/$shape-$mib-$pairs.dbx
    "$make_store" "$shape" $((mib << 20)) "$store" "$pairs"
    "$benchtime" --runs 3 --label "$shape-${mib}MiB-$pairs-pairs" -- "$dbxrecover" scan "$store"
    rm -f "$store"
done

# Ctrl-C: the scan is sent SIGINT once it has run for a while; the time to its exit is printed.
for shape in entries sender-run places starts reaches; do
    store=$work/$shape-256.dbx
    "$make_store" "$shape" $((256 << 20)) "$store"
    cat "$store" >/dev/null
    started=$(date +%s%N)
    "$dbxrecover" scan "$store" >/dev/null 2>&1 &
    pid=$!
    sleep 0.2
    sent=$(date +%s%N)
    interrupted=yes
    kill -INT "$pid" 2>/dev/null || interrupted=no
    status=0
    wait "$pid" || status=$?
    ended=$(date +%s%N)
    if [ "$interrupted" = yes ]; then
        echo "$shape-256MiB: ctrl-c to exit $(( (ended - sent) / 1000000 )) ms" \
            "(sent after $(( (sent - started) / 1000000 )) ms, exit status $status)"
    else
        echo "$shape-256MiB: the scan ended before ctrl-c"
    fi
    rm -f "$store"
done
