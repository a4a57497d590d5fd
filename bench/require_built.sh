# Sourced by the benchmark scripts: stops with one clear line when a program they time has not
# been built.
# Usage: require_built BUILD_DIR PROGRAM...
require_built() {
    local build=$1 tool
    shift
    for tool in "$@"; do
        if [ ! -x "$tool" ]; then
            echo "$(basename "$0" .sh): $tool is missing; build first:" >&2
            echo "  cmake -S . -B $build -DCMAKE_BUILD_TYPE=Release && cmake --build $build -j2" >&2
            exit 1
        fi
    done
}
