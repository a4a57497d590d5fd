#pragma once

#include <cstddef>
#include <string_view>

#include "store_builder.h"

// Stores built from the record layout to make a scan do as much work as it can: each shape
// once made every probe read on to the end of the store.
namespace dbx::build {

enum class CraftedShape {
    // Freed-record candidates every 32 bytes whose entry tables never name the message
    // offset, so that their entries run on to the end of the store.
    OpenEntryTables,
    // Existing records every 20 bytes (in the first half) whose sender texts all start in one
    // run without a 0 byte (the second half).
    LongSenderRun,
    // Freed-record candidates every 64 bytes, each followed by at signs, whose searches for the
    // sender's address all run on to the end; they take turns through `pairs` pairs of sender
    // and recipient places.
    ManyAddressPlaces,
    // As ManyAddressPlaces, but each candidate's at signs follow a 0 byte and an address
    // ("\0a@b.c"), so that every search weighs every such start after it, and each start fails
    // its recipient check. The `pairs` pairs of places share forty reaches (how far the
    // recipient's text lies from the sender's).
    AddressStarts,
    // As AddressStarts, with a reach of its own for each of the `pairs` pairs.
    AddressStartsManyReaches,
};

// "entries", "sender-run", "places", "starts", "reaches"; false for any other name.
bool CraftedShapeNamed(std::string_view name, CraftedShape& shape);

Bytes CraftedStore(CraftedShape shape, std::size_t size, unsigned pairs = 40);

}  // namespace dbx::build
