#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store_generator.h"

namespace dbx::gen {

// Damage done to a generated store after the fact, each to that many listed messages
// (fewer when too few fit), so that a manifest can say what must come back.
struct ChainDamage {
    std::uint32_t zeroedRecords = 0;     // live records wiped, chains intact: orphans
    std::uint32_t brokenChains = 0;      // a middle block wiped: incomplete head, orphaned tail
    std::uint32_t wipedFirstBlocks = 0;  // first block wiped: extraction fails, tail orphaned
    std::uint32_t freedChains = 0;       // freed records of deleted messages wiped: orphans
    std::uint32_t loops = 0;             // the last block leads back to the first
    std::uint32_t nextPastEnd = 0;       // the last block names a next block past the end
    std::uint64_t prepend = 0;           // bytes put before the store
    std::uint64_t cut = 0;               // bytes cut off its start
    std::uint64_t seed = 1;

    bool Any() const {
        return zeroedRecords || brokenChains || wipedFirstBlocks || freedChains || loops ||
               nextPastEnd || prepend || cut;
    }
};

// Damages the store at `path` in place and sets each message's damage and expectation.
// Throws std::runtime_error when the file cannot be read or written.
void DamageStore(const std::string& path, std::vector<ManifestEntry>& messages,
                 const ChainDamage& damage);

}  // namespace dbx::gen
