#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the desktop program.
# Usage: ./run.sh [STORE.dbx]   (without a store, a generated demo store is put in the path field)
#        BUILD_DIR=DIR ./run.sh   builds in DIR instead of build
set -euo pipefail
# A store named relative to where the command was given.
store=${1:+$(realpath -m -- "$1")}
cd "$(dirname "$0")"
build=${BUILD_DIR:-build}
source tools/deps.sh
ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${RUN_PACKAGES[@]}"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DDBXR_WITH_QT=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target dbxrecover-gui dbxgen dbxrecover >"$build/build.log" 2>&1 ||
    { cat "$build/build.log"; exit 1; }

if [ -z "$store" ]; then
    store=$build/demo/demo.dbx
    if [ ! -f "$store" ]; then
        mkdir -p "$build/demo"
        "$build/tools/dbxgen" --messages 40 --deleted 8 --seed 7 "$store" >/dev/null
    fi
    store=$(realpath -- "$store")
    echo "No store given: the demo store $store is in the path field; press Next."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
    exit 1
fi
# The web engine of the preview pane refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
# Help ("Varnook Tobrin DBX.chm"), Live Update, the start page (sample.htm) and the home page
# (home.htm) are looked up in the working directory.
cd "$build/app"
exec ./dbxrecover-gui "$store"
