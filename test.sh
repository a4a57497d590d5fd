#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the library tests (scanner,
# platform, markup) under AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite,
# then the desktop program's tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}"
jobs=$(nproc)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDBXR_SANITIZE=ON -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDBXR_WITH_QT=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The desktop program's tests once more under ThreadSanitizer: the window and the jobs of its
# workflows. Qt's libraries are not built for it, so only what our own code does is checked.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DDBXR_WITH_QT=ON \
    "-DCMAKE_CXX_FLAGS=-fsanitize=thread -O1 -g" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" >/dev/null
cmake --build build-tsan -j"$jobs" --target app_tests
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1" \
    build-tsan/tests/app/app_tests
