#!/usr/bin/env bash
# Runs the tests with two busy loops per core beside them, as on a machine that is doing other
# work, to show that no test depends on timing. Stops at the first failure.
# Usage: tools/under_load.sh [--runs N] [--quick] [--repeat REGEX] [--times N] [--build DIR]
#   --runs N        runs ./test.sh N times in a row (default 3; 0 runs it not at all)
#   --quick         runs ./test.sh --quick instead of the whole suite
#   --repeat REGEX  then runs the tests that match REGEX (ctest names, in DIR) N times each
#   --times N       how often --repeat runs them (default 20)
#   --build DIR     the build folder of --repeat (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3 quick="" clone=0 repeat="" times=20 build=build
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --quick) quick=--quick; shift ;;
        --clone) clone=1; shift ;;
        --repeat) repeat=$2; shift 2 ;;
        --times) times=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        *) sed -n '2,12p' "$0" >&2; exit 2 ;;
    esac
done

loops=()
stop_loops() { [ ${#loops[@]} -eq 0 ] || kill "${loops[@]}" 2>/dev/null || true; }
trap stop_loops EXIT
for _ in $(seq $((2 * $(nproc)))); do
    (while :; do :; done) &
    loops+=($!)
done
echo "${#loops[@]} busy loops running beside the tests"

for run in $(seq "$runs"); do
    echo "== run $run of $runs: ./test.sh $quick"
    if [ "$clone" -eq 0 ]; then
        ./test.sh $quick
        continue
    fi
    # Beside this checkout, so that a compiler cache whose base folder holds both serves it.
    copy=$(mktemp -d "$PWD/../under-load-clone.XXXXXX")
    git clone -q . "$copy"
    echo "in $copy ($(git -C "$copy" log -1 --format=%h))"
    if ! "$copy/test.sh" $quick; then
        echo "run $run failed; its clone is kept: $copy" >&2
        exit 1
    fi
    rm -rf "$copy"
done
if [ -n "$repeat" ]; then
    echo "== '$repeat' in $build, $times times"
    ctest --test-dir "$build" -R "$repeat" --output-on-failure --repeat until-fail:"$times"
fi
echo "all passed under load"
