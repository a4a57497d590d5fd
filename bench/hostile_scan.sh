#!/usr/bin/env bash
# Times the scan of the store that once stalled it (1 MiB of at signs after a freed-record
# candidate) and of stores with a freed-record candidate every 64 bytes (256 KiB, 1 MiB, 4 MiB),
# and how soon Ctrl-C ends a scan that is inside one long probe (256 MiB of them).
# Usage: bench/hostile_scan.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
make_store=$build/bench/at_sign_store
benchtime=$build/bench/benchtime
dbxrecover=$build/cli/dbxrecover
make_candidates=$build/bench/candidate_store
source bench/require_built.sh
require_built "$build" "$make_store" "$make_candidates" "$benchtime" "$dbxrecover"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_store" $((1 << 20)) "$work/at-1m.dbx"
"$benchtime" --runs 5 --label at-signs-1MiB -- "$dbxrecover" scan "$work/at-1m.dbx"

for kib in 256 1024 4096; do
    "$make_candidates" $((kib << 10)) "$work/candidates-$kib.dbx"
    "$benchtime" --runs 5 --label candidates-every-64-bytes-${kib}KiB -- \
        "$dbxrecover" scan "$work/candidates-$kib.dbx"
done

"$make_store" $((256 << 20)) "$work/at-256m.dbx"
cat "$work/at-256m.dbx" >/dev/null
"$dbxrecover" scan "$work/at-256m.dbx" >/dev/null 2>&1 &
pid=$!
sleep 0.3
sent=$(date +%s%N)
if kill -INT "$pid" 2>/dev/null; then
    wait "$pid" || true
    echo "ctrl-c to exit: $(( ($(date +%s%N) - sent) / 1000000 )) ms (inside a 256 MiB probe)"
else
    wait "$pid" || true
    echo "ctrl-c: the scan of the 256 MiB store had ended within 0.3 s"
fi
