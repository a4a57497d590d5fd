#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy (unchecked results of reads, writes and
# closes) over scanner/ and cli/; exits non-zero on any finding.
# Usage: tools/tidy.sh [BUILD_DIR]   (default: build; any configured build, for its
# compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source tools/deps.sh
ensure_packages "${LINT_PACKAGES[@]}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build/compile_commands.json is missing; configure first:" >&2
    echo "  cmake -S . -B $build -DDBXR_CORE_ONLY=ON -DDBXR_WITH_QT=OFF" >&2
    exit 1
fi
# Two at a time: the machine is shared. clang-tidy counts the warnings it hid (those of the
# system headers): that count is left out.
status=0
find scanner cli -name '*.cpp' -print0 | sort -z |
    xargs -0 -n 4 -P 2 clang-tidy -p "$build" --quiet 2>&1 |
    { grep -v -E '^[0-9]+ warnings? generated\.$' || true; } || status=$?
if [ "$status" -ne 0 ]; then
    echo "tidy: findings above" >&2
    exit 1
fi
echo "tidy: scanner/ and cli/ are clean"
