# Sourced by run.sh and test.sh: installs the Debian packages the build needs.
# Usage: ensure_packages PACKAGE...

ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some packages are missing. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Packages of the scanning core, the command-line tool and the tests.
CORE_PACKAGES=(cmake make g++ libgtest-dev nlohmann-json3-dev libcli11-dev)

# Packages of the Qt-based parts (platform layer, message presentation, the desktop program)
# and their tests. Qt's CMake files need OpenGL headers; qt6-base-dev depends on them, as on
# the offscreen platform. The preview pane is Qt WebEngine; the artwork is SVG. The help file
# is compiled from HTML by Free Pascal's CHM compiler, chmcmd (fp-utils). The decoded preview
# reads messages with GMime 3 and their HTML with gumbo, both found through pkg-config.
GUI_PACKAGES=(qt6-base-dev qt6-webengine-dev qt6-svg-dev fonts-liberation2 fonts-dejavu-core
    fp-utils libgmime-3.0-dev libgumbo-dev pkg-config)

# Packages of the benchmarks in bench/ only: hyperfine pairs the timed commands run by run.
BENCH_PACKAGES=(hyperfine)

# Packages of tools/tidy.sh: clang-tidy for the unchecked results in scanner/ and cli/.
LINT_PACKAGES=(clang-tidy)

# Packages of the fuzz targets (fuzz/): clang with libFuzzer and the sanitizer runtimes.
FUZZ_PACKAGES=(clang libfuzzer-14-dev libclang-rt-14-dev)

# Packages of tools/package.sh only: CPack's DEB generator finds the dependencies with
# dpkg-shlibdeps (dpkg-dev) and file; lintian, desktop-file-validate and appstreamcli check the
# package.
PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream)

# Packages the desktop program uses at run time only: a viewer that opens the help file (F1),
# and the desktop's "open" (xdg-open) with its table of which program opens what.
RUN_PACKAGES=(xchm xdg-utils desktop-file-utils)
