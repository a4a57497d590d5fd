#!/usr/bin/env bash
# Times the texts that once cost minutes or gigabytes: each measured and drawn by render-markup
# (at width 400 and 0) and shown in a message box by show-message-box --out, with the wall
# time, user time and peak resident memory of each run.
# Usage: bench/markup_bench.sh [BUILD_DIR]   (default build; needs /usr/bin/time, package time)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
render="$build/tools/render-markup"
box="$build/tools/show-message-box"
for tool in "$render" "$box" /usr/bin/time; do
    [ -x "$tool" ] || { echo "missing $tool (build the tools; install the package time)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

printf '%s' '<table cellpadding=16384><tr><td>x</td></tr></table>' >"$work/cellpadding"
printf '%s' '<table border=20000><tr><td>x</td></tr></table>' >"$work/border-20000"
printf '%s' '<table cellpadding=16384 cellspacing=16384 border=16384><tr><td width=99999 height=99999>x</td></tr></table>' >"$work/huge-numbers"
printf '%s' '<hr width=max size=max>' >"$work/hr-max"
printf '%s' '<table bgeffect=7><tr><td width=8000 height=8000>x</td></tr></table>' >"$work/noise-8000"
# Generated the same way every time.
perl -e 'srand(1); my @w = qw(lorem ipsum dolor sit amet mail store message recovered a);
    my $t = ""; $t .= $w[int(rand(10))] . " " while length($t) < 65536; print substr($t, 0, 65536)' \
    >"$work/words-64k"
perl -e 'srand(1); print pack("C*", map { int(rand(256)) } 1 .. 1048576)' >"$work/random-1m"

run() {
    local label=$1
    shift
    /usr/bin/time -v "$@" >/dev/null 2>"$work/time.log" || true
    local wall user rss
    wall=$(grep 'Elapsed (wall clock)' "$work/time.log" | awk '{print $NF}')
    user=$(grep 'User time' "$work/time.log" | awk '{print $NF}')
    rss=$(grep 'Maximum resident' "$work/time.log" | awk '{print $NF}')
    printf '%-34s wall %8s  user %6s s  peak RSS %6d MiB\n' "$label" "$wall" "$user" $((rss / 1024))
}

for text in cellpadding border-20000 huge-numbers hr-max noise-8000 words-64k random-1m; do
    run "render-markup $text width 400" "$render" --file "$work/$text" --width 400 --out "$work/out.png"
    run "render-markup $text width 0" "$render" --file "$work/$text" --width 0 --out "$work/out.png"
    run "show-message-box $text" "$box" --text-file "$work/$text" --caption "Varnook Tobrin DBX" \
        --out "$work/box.png"
done
