#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the library tests (scanner,
# platform, markup) under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite,
# then the fuzz targets: built by clang, their seed and regression inputs replayed, each run for
# a short while.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
jobs=$(nproc)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDBXR_SANITIZE=ON -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDBXR_WITH_QT=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDBXR_FUZZ=ON -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzzers
ctest --test-dir build-fuzz --output-on-failure -j"$jobs"
bench/fuzz.sh 20
