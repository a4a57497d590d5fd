#!/usr/bin/env bash
# Installs what is missing, builds in Release and lists the messages of a store.
# Usage: ./run.sh [STORE.dbx]   (without a store, a generated demo store is used)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >build/build.log 2>&1 || { cat build/build.log; exit 1; }

store=${1:-}
if [ -z "$store" ]; then
    store=build/demo/demo.dbx
    if [ ! -f "$store" ]; then
        mkdir -p build/demo
        build/tools/dbxgen --messages 40 --deleted 8 --seed 7 "$store"
    fi
    echo "No store given: scanning the demo store $store"
fi
exec build/cli/dbxrecover scan "$store"
