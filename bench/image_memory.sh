#!/usr/bin/env bash
# Peak memory and time of `dbxrecover scan --image` on a 64 GiB disk image (sparse: it costs only
# what it holds) that holds 2 GiB of stores: two of 512 MiB whole at sectors, two of 512 MiB cut
# into 4 MiB pieces at random 4 KiB clusters. Memory must grow with what is found, not with the
# image. The image and its stores are written once into BUILD_DIR/bench and kept.
# Usage: bench/image_memory.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
dbxgen=$build/tools/dbxgen
dbxrecover=$build/cli/dbxrecover
source bench/require_built.sh
require_built "$build" "$dbxgen" "$dbxrecover"

mkdir -p "$build/bench"
image=$build/bench/disk-64g.img
if [ ! -f "$image" ]; then
    echo "Writing $image (once; 2 GiB of stores)..."
    truncate -s 64G "$image.partial"
    mib=$((1 << 20))
    piece=$((4 * mib))
    RANDOM=7
    for k in 0 1 2 3; do
        store=$build/bench/image-store-$k.dbx
        "$dbxgen" --size 512M --deleted 10% --seed $((k + 1)) --force "$store" >/dev/null
        if [ "$k" -lt 2 ]; then
            # Whole, at a sector: 63 sectors into the first and the second 8 GiB.
            at=$((k * 8 * 1024 * mib + 63 * 512))
            dd if="$store" of="$image.partial" bs=1M oflag=seek_bytes seek="$at" conv=notrunc \
                status=none
        else
            # In 4 MiB pieces, each at a random cluster of its own 128 MiB stretch from 16 GiB
            # to 48 GiB.
            for ((i = 0; i < 512 * mib / piece; i++)); do
                slot=$(((16 << 10) + ((k - 2) * 128 + i) * 128))  # MiB
                at=$((slot * mib + (RANDOM % (124 * 256)) * 4096))
                dd if="$store" of="$image.partial" bs=1M iflag=skip_bytes,count_bytes \
                    skip=$((i * piece)) count="$piece" oflag=seek_bytes seek="$at" \
                    conv=notrunc status=none
            done
        fi
        rm -f "$store"
    done
    mv "$image.partial" "$image"
fi
echo "== scan --image of a 64 GiB image holding 2 GiB of stores"
/usr/bin/time -f "elapsed %e s, peak RSS %M KiB" "$dbxrecover" scan --image --format csv \
    "$image" 2> >(grep -v '^dbxrecover: offset' >&2) | tail -n +2 | cut -d, -f2 | sort | uniq -c
