#include "crafted_stores.h"

#include <algorithm>
#include <vector>

namespace dbx::build {
namespace {

constexpr std::uint32_t kFirst = 0x1000;
constexpr std::uint32_t kBody = 0x400;
constexpr std::uint32_t kHuge = 0x7FFFFFF0;  // a body length that reaches past any store

// No full stop anywhere, not even in a self offset: no address is ever found.
bool HoldsFullStop(std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        if ((word >> shift & 0xFF) == '.') return true;
    }
    return false;
}

// The next upper part of a place after `high` whose bytes, and those of the one after it (a
// carry), hold no full stop.
std::uint32_t NextHigh(std::uint32_t high) {
    do {
        ++high;
    } while (HoldsFullStop(high << 8) || HoldsFullStop((high + 1) << 8));
    return high;
}

void OpenEntryTables(StoreBuilder& store) {
    constexpr std::uint32_t kEvery = 32;
    for (std::uint32_t r = kFirst; r + kEvery <= store.Size(); r += kEvery) {
        store.PutU32(r, r).PutU32(r + 4, kHuge).PutU32(r + 8, 0);
        // Date, sender and recipient, and ids nobody reads; never a message offset.
        store.PutU32(r + 12, kPropTimeReceived | 40 << 8)
            .PutU32(r + 16, kPropSenderAddress | 8 << 8)
            .PutU32(r + 20, kPropRecipientAddress | 24 << 8)
            .PutU32(r + 24, kPropPriority | 3 << 8)
            .PutU32(r + 28, kPropSize | 1000 << 8);
    }
}

void LongSenderRun(StoreBuilder& store) {
    constexpr std::uint32_t kEvery = 20;
    const auto run = std::uint32_t(store.Size() / 2);
    store.Put(run, Bytes(store.Size() - run, 'a'));
    for (std::uint32_t r = kFirst; r + kEvery <= run; r += kEvery) {
        const std::uint32_t dataArea = r + kEvery;
        // Each sender starts at its own place in the run, within the reach of 24 bits.
        const std::uint32_t sender = run + r % 4096 - dataArea;
        if (sender >= 1u << 24) continue;
        store.PutU32(r, r).PutU32(r + 4, 8).PutU32(r + 8, 2 << 16);
        store.PutU32(r + 12, kPropTimeReceived | 4 << 8)
            .PutU32(r + 16, kPropSenderAddress | sender << 8);
    }
}

void ManyAddressPlaces(StoreBuilder& store, unsigned pairs) {
    constexpr std::uint32_t kEvery = 64;
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    unsigned turn = 0;
    std::vector<std::uint32_t> highs;
    for (std::uint32_t r = kFirst; r + kEvery <= store.Size(); r += kEvery) {
        if (HoldsFullStop(r)) continue;
        const std::uint32_t k = pairs ? turn++ % pairs : 0;
        // Forty places a byte wide, then the upper bytes count on; the recipient's may carry
        // into them, and none may become a full stop.
        while (highs.size() <= k / 40) highs.push_back(highs.empty() ? 0 : NextHigh(highs.back()));
        const std::uint32_t high = highs[k / 40];
        const std::uint32_t sender = 100 + k % 40 + 256 * high;
        const std::uint32_t recipient = 200 + 2 * (k % 40) + 256 * high;
        store.PutU32(r, r).PutU32(r + 4, kHuge).PutU32(r + 8, 0);
        store.PutU32(r + 12, kPropTimeReceived | 40 << 8)
            .PutU32(r + 16, kPropSenderAddress | sender << 8)
            .PutU32(r + 20, kPropBodyOffsetDirect | kBody << 8)
            .PutU32(r + 24, kPropRecipientAddress | recipient << 8);
        store.Put(r + 28, Bytes(kEvery - 28, '@'));
    }
}

// The reaches of AddressStarts: texts of one start lie 64 bytes apart, and the one address a
// start's region holds is two bytes long, so no reach that leaves 0 or 1 over 64 ever meets one.
std::uint32_t StartsReach(unsigned k, bool many) {
    return many ? 2 + k % 62 + 64 * (k / 62) : 2 + k % 40;
}

void AddressStarts(StoreBuilder& store, unsigned pairs, bool manyReaches) {
    constexpr std::uint32_t kEvery = 64;
    store.PutU32(kBody, kBody).PutU32(kBody + 4, 0x1FC);
    // The pairs: senders as in ManyAddressPlaces, recipients a reach after them; no place may
    // hold a full stop, which would make an address of the entry table's bytes.
    std::vector<std::uint32_t> senders, recipients;
    std::vector<std::uint32_t> highs;
    for (unsigned k = 0, n = 0; senders.size() < std::max(pairs, 1u); ++n) {
        while (highs.size() <= k / 40) highs.push_back(highs.empty() ? 0 : NextHigh(highs.back()));
        const std::uint32_t sender = 100 + k % 40 + 256 * highs[k / 40];
        const std::uint32_t recipient = sender + StartsReach(n, manyReaches);
        if (HoldsFullStop(recipient << 8)) continue;
        senders.push_back(sender);
        recipients.push_back(recipient);
        ++k;
    }
    const Bytes tail{0, 'a', '@', 'b', '.', 'c', 0};
    unsigned turn = 0;
    for (std::uint32_t r = kFirst; r + kEvery <= store.Size(); r += kEvery) {
        if (HoldsFullStop(r)) continue;
        const std::size_t k = turn++ % senders.size();
        store.PutU32(r, r).PutU32(r + 4, kHuge).PutU32(r + 8, 0);
        store.PutU32(r + 12, kPropTimeReceived | 40 << 8)
            .PutU32(r + 16, kPropSenderAddress | senders[k] << 8)
            .PutU32(r + 20, kPropBodyOffsetDirect | kBody << 8)
            .PutU32(r + 24, kPropRecipientAddress | recipients[k] << 8);
        store.Put(r + 28, tail)
            .Put(r + 28 + std::uint32_t(tail.size()), Bytes(kEvery - 28 - tail.size(), '@'));
    }
}

}  // namespace

bool CraftedShapeNamed(std::string_view name, CraftedShape& shape) {
    if (name == "entries") {
        shape = CraftedShape::OpenEntryTables;
    } else if (name == "sender-run") {
        shape = CraftedShape::LongSenderRun;
    } else if (name == "places") {
        shape = CraftedShape::ManyAddressPlaces;
    } else if (name == "starts") {
        shape = CraftedShape::AddressStarts;
    } else if (name == "reaches") {
        shape = CraftedShape::AddressStartsManyReaches;
    } else {
        return false;
    }
    return true;
}

Bytes CraftedStore(CraftedShape shape, std::size_t size, unsigned pairs) {
    StoreBuilder store(size);
    switch (shape) {
        case CraftedShape::OpenEntryTables:
            OpenEntryTables(store);
            break;
        case CraftedShape::LongSenderRun:
            LongSenderRun(store);
            break;
        case CraftedShape::ManyAddressPlaces:
            ManyAddressPlaces(store, pairs);
            break;
        case CraftedShape::AddressStarts:
            AddressStarts(store, pairs, false);
            break;
        case CraftedShape::AddressStartsManyReaches:
            AddressStarts(store, pairs, true);
            break;
    }
    return store.Image();
}

}  // namespace dbx::build
