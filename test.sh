#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the library and command-line
# tests (scanner, cli, platform, markup, mailview) under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the whole suite in Release, then the desktop program's tests
# under ThreadSanitizer, then the fuzz targets: built by clang, their seed and regression inputs
# replayed, then run for one shared budget of seconds. Warnings are errors in every build.
# Prints each stage's time at the end (also when a stage fails).
# Usage: ./test.sh            everything (what CI runs)
#        ./test.sh --quick    the Release build and its tests only
set -euo pipefail
cd "$(dirname "$0")"
quick=0
case "${1:-}" in
    "") ;;
    --quick) quick=1 ;;
    *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
jobs=$(nproc)
fuzz_budget=70  # seconds for all fuzz targets together

stages=()
report() {
    local status=$?
    [ ${#stages[@]} -gt 0 ] || return 0
    echo
    echo "Stage times:"
    printf '  %s\n' "${stages[@]}"
    [ "$status" -eq 0 ] || echo "  (stopped by a failure)"
}
trap report EXIT
# stage NAME COMMAND...: runs one stage and records its time.
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    "$@"
    stages+=("$(printf '%-34s %4d s' "$name" $((SECONDS - start)))")
}

install() {
    source tools/deps.sh
    if [ "$quick" -eq 1 ]; then
        ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}"
    else
        ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    fi
}

configure() {  # configure BUILD_DIR OPTIONS...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DDBXR_WERROR=ON "$@" >/dev/null
}

sanitized() {
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DDBXR_SANITIZE=ON -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=ON
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

release() {
    configure build -DCMAKE_BUILD_TYPE=Release -DDBXR_WITH_QT=ON
    cmake --build build -j"$jobs"
    ctest --test-dir build --output-on-failure -j"$jobs"
}

# The desktop program's tests once more under ThreadSanitizer: the window and the jobs of its
# workflows. Qt's libraries are not built for it, so only what our own code does is checked.
thread_sanitized() {
    configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DDBXR_WITH_QT=ON \
        "-DCMAKE_CXX_FLAGS=-fsanitize=thread -O1 -g" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread"
    cmake --build build-tsan -j"$jobs" --target app_tests
    # The search of a 4 GiB store is left to the other runs: instrumented, it takes minutes.
    # The web engine leaves threads of its own running at exit, now and then: races are what
    # this stage looks for, so thread leaks are not reported.
    QT_QPA_PLATFORM=offscreen \
        TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1 report_thread_leaks=0" \
        GTEST_FILTER='-JobControl.AStoreOver4GiB*' ctest --test-dir build-tsan -R '^app_tests' \
        --output-on-failure -j"$jobs"
}

fuzzed() {
    configure build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DDBXR_FUZZ=ON -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=ON
    cmake --build build-fuzz -j"$jobs" --target fuzzers
    ctest --test-dir build-fuzz --output-on-failure -j"$jobs"
    local targets
    targets=$(grep -c . build-fuzz/fuzz/fuzzers.txt)
    bench/fuzz.sh $(((fuzz_budget + targets - 1) / targets))
}

stage "packages" install
if [ "$quick" -eq 1 ]; then
    stage "Release build and tests" release
    exit 0
fi
stage "sanitized build and tests" sanitized
stage "Release build and tests" release
stage "thread-sanitized window tests" thread_sanitized
stage "fuzz build, replays and runs" fuzzed
