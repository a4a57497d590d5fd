#!/usr/bin/env bash
# Builds the programs in Release and makes the Debian package dbxrecover_<version>_<arch>.deb
# in the folder given (the repository's top folder by default), then checks it with lintian
# (any error fails), desktop-file-validate and appstreamcli.
# Usage: tools/package.sh [OUT_DIR]
#        BUILD_DIR=DIR tools/package.sh   builds in DIR instead of build-package
# Install it with: sudo apt install ./dbxrecover_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m -- "${1:-$root}")
cd "$root"
build=${BUILD_DIR:-build-package}
source tools/deps.sh
ensure_packages "${CORE_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
# Folders made while staging keep the modes Debian expects.
umask 022

# Debian's hardening flags; the debug and optimisation levels are the build type's (the package
# is stripped).
hardening() {
    local flag kept=()
    for flag in $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"); do
        case $flag in -g | -O?) ;; *) kept+=("$flag") ;; esac
    done
    echo "${kept[*]}"
}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DDBXR_WITH_QT=ON -DCMAKE_INSTALL_PREFIX=/usr \
    "-DCMAKE_CXX_FLAGS=$(hardening CPPFLAGS) $(hardening CXXFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(hardening LDFLAGS)" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target dbxpackagefiles >"$build/package-build.log" 2>&1 ||
    { cat "$build/package-build.log"; exit 1; }
rm -f "$build"/dbxrecover_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
debs=("$build"/dbxrecover_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no package" >&2; exit 1; }
mkdir -p "$out"
deb=$out/$(basename "${debs[0]}")
mv -f "${debs[0]}" "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
desktop-file-validate "$work"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error --tag-display-limit 0 "$deb" || { echo "lintian found errors" >&2; exit 1; }
echo "$deb"
