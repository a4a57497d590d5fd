// at_sign_store: writes the store that made the scan stall: a freed-record candidate (entry
// count 0, a large body length) followed by a run of at signs with no 0 byte.
//
//   at_sign_store RUN_BYTES FILE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store_builder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: at_sign_store RUN_BYTES FILE\n");
        return 2;
    }
    const std::size_t run = std::strtoull(argv[1], nullptr, 10);
    constexpr std::uint32_t kRecord = 0x1000;
    constexpr std::uint32_t kBody = 0x400;
    using namespace dbx::build;
    StoreBuilder store(kRecord);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    store.PutU32(kRecord, kRecord).PutU32(kRecord + 4, 0x7FFFFFF0).PutU32(kRecord + 8, 0);
    store.PutU32(kRecord + 12, kPropTimeReceived | 40 << 8)
        .PutU32(kRecord + 16, kPropSenderAddress | 8 << 8)
        .PutU32(kRecord + 20, kPropBodyOffsetDirect | kBody << 8)
        .PutU32(kRecord + 24, kPropRecipientAddress | 24 << 8);
    store.Put(kRecord + 28, Bytes(run, '@'));
    store.Save(argv[2]);
    return 0;
}
