// candidate_store: writes a store with a freed-record candidate every 64 bytes (entry count 0,
// a body length that reaches past the end), each followed by at signs, so that every
// candidate's search for the sender's address runs over the rest of the store (there is
// no full stop, so no address is ever found).
//
//   candidate_store BYTES FILE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store_builder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: candidate_store BYTES FILE\n");
        return 2;
    }
    const std::size_t size = std::strtoull(argv[1], nullptr, 10);
    constexpr std::uint32_t kFirst = 0x1000;
    constexpr std::uint32_t kBody = 0x400;
    constexpr std::uint32_t kEvery = 64;
    using namespace dbx::build;
    StoreBuilder store(size);
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    for (std::uint32_t r = kFirst; r + kEvery <= size; r += kEvery) {
        // No full stop anywhere, not even in a self offset: no search ever ends early.
        if ((r & 0xFF) == '.' || (r >> 8 & 0xFF) == '.' || (r >> 16 & 0xFF) == '.') continue;
        store.PutU32(r, r).PutU32(r + 4, 0x7FFFFFF0).PutU32(r + 8, 0);
        store.PutU32(r + 12, kPropTimeReceived | 40 << 8)
            .PutU32(r + 16, kPropSenderAddress | 8 << 8)
            .PutU32(r + 20, kPropBodyOffsetDirect | kBody << 8)
            .PutU32(r + 24, kPropRecipientAddress | 24 << 8);
        store.Put(r + 28, Bytes(kEvery - 28, '@'));
    }
    store.Save(argv[2]);
    return 0;
}
