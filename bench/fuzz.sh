#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60) on a copy of its seed corpus and prints, per
# target, the executions, the coverage (edges and features) and the corpus size it reached.
# Usage: bench/fuzz.sh [SECONDS] [BUILD_DIR]   (BUILD_DIR: build-fuzz, configured with DBXR_FUZZ=ON)
# Exits non-zero when a target finds a crash, a leak or a timeout; its input is kept in
# BUILD_DIR/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build-fuzz}
list="$build/fuzz/fuzzers.txt"
if [ ! -s "$list" ]; then
    echo "no fuzz targets listed in $list: configure $build with -DDBXR_FUZZ=ON and build the target fuzzers" >&2
    exit 2
fi
findings="$build/fuzz/findings"
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failed=0
printf '%-22s %10s %8s %8s %8s %s\n' target executions edges features corpus result
while IFS=$'\t' read -r program corpus; do
    [ -n "$program" ] || continue
    name=$(basename "$program")
    mkdir -p "$work/$name"
    cp -r "$corpus"/. "$work/$name"/ 2>/dev/null || true
    log="$work/$name.log"
    result=ok
    # -timeout: a single input taking longer is a finding; the memory limit likewise.
    if ! "$program" "$work/$name" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" >"$log" 2>&1; then
        result="FINDING (see $findings)"
        failed=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    status=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
    edges=$(grep -o 'cov: [0-9]*' <<<"$status" | grep -o '[0-9]*' || true)
    features=$(grep -o 'ft: [0-9]*' <<<"$status" | grep -o '[0-9]*' || true)
    units=$(grep -o 'corp: [0-9]*' <<<"$status" | grep -o '[0-9]*' || true)
    printf '%-22s %10s %8s %8s %8s %s\n' "$name" "${runs:-?}" "${edges:-?}" "${features:-?}" \
        "${units:-?}" "$result"
    if [ "$result" != ok ]; then tail -40 "$log" >&2; fi
done <"$list"
exit "$failed"
