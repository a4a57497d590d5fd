// crafted_store: writes one of the stores built to make every probe read on to the end of the
// store (see tools/crafted_stores.h).
//
//   crafted_store entries|sender-run|places|starts|reaches BYTES FILE [PAIRS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "crafted_stores.h"

int main(int argc, char** argv) {
    dbx::build::CraftedShape shape;
    if ((argc != 4 && argc != 5) || !dbx::build::CraftedShapeNamed(argv[1], shape)) {
        std::fprintf(
            stderr,
            "Usage: crafted_store entries|sender-run|places|starts|reaches BYTES FILE [PAIRS]\n");
        return 2;
    }
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    const unsigned pairs = argc == 5 ? unsigned(std::strtoul(argv[4], nullptr, 10)) : 40;
    dbx::build::StoreBuilder store;
    store.Put(0, dbx::build::CraftedStore(shape, size, pairs));
    store.Save(argv[3]);
    return 0;
}
