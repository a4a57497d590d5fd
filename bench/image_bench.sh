#!/usr/bin/env bash
# Times `dbxrecover scan --image` of a 1 GiB disk image (three stores of 200 messages: one whole
# at sector 63, two cut into 64 KiB pieces at random clusters, among random bytes) paired
# against a dd read of it, both from the page cache (benchtime --against: a dd run before each
# scan), and the plain scan of the generated 1 GiB store against dd the same way.
# Usage: bench/image_bench.sh [BUILD_DIR]   (default: build; RUNS=N changes the 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
dbximage=$build/tools/dbximage
dbxgen=$build/tools/dbxgen
dbxrecover=$build/cli/dbxrecover
benchtime=$build/bench/benchtime
source bench/require_built.sh
require_built "$build" "$dbximage" "$dbxgen" "$dbxrecover" "$benchtime"

# Generated once; a later run reuses them. Fixed seeds keep the bytes the same everywhere.
mkdir -p "$build/bench"
image=$build/bench/disk-1g.img
if [ ! -f "$image" ]; then
    echo "Generating $image (once)..."
    "$dbximage" --size 1G --stores 3 --messages 200 --seed 1 --force "$image.partial"
    mv "$image.partial" "$image"
fi
store=$build/bench/store-1g.dbx
if [ ! -f "$store" ]; then
    echo "Generating $store (once)..."
    "$dbxgen" --size 1G --deleted 10% --seed 1 --damage --force "$store.partial"
    mv "$store.partial" "$store"
fi
cat "$image" "$store" >/dev/null  # warm the page cache

echo "== scan --image of a 1 GiB image, against dd"
"$benchtime" --runs "$runs" --label scan-image-1GiB \
    --against "dd if=$image bs=1M of=/dev/null status=none" -- \
    "$dbxrecover" scan --image --format json "$image"
echo "== plain scan of a 1 GiB store, against dd"
"$benchtime" --runs "$runs" --label scan-1GiB \
    --against "dd if=$store bs=1M of=/dev/null status=none" -- \
    "$dbxrecover" scan --format json "$store"
