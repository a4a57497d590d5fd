#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "store_file.h"

namespace dbx {

struct DisplacementFinding {
    // Position a block names minus where it lies in the file: 0 for a store that starts at
    // the file's start, negative when bytes were put before it, positive when its start is
    // missing (a store carved from a disk image can be either).
    std::int64_t displacement = 0;
    // Structures that agree on it: blocks whose next block is found where it says, records
    // whose message's first block is, and the store's own header at the file's start.
    std::size_t agreeing = 0;
    std::size_t seen = 0;  // block headers looked at
    // The lowest and highest positions its agreeing structures name: where it lies.
    std::uint64_t lowest = 0;
    std::uint64_t highest = 0;
    // Where the pieces of other stores that lie at the same displacement leave it room: a
    // look around it stops halfway to them.
    std::uint64_t roomFrom = 0;
    std::uint64_t roomTo = UINT64_MAX;
};

// For the deep search: looks at the message blocks and records in a few stretches of the file
// (a bounded amount of reading, whatever its size) and finds where they lie against the
// positions they name. Headers alone prove nothing (a mail can carry any number of look-alikes):
// a displacement counts only where structures lead to each other at it. A store whose own
// structures agree at their positions is at its place, whatever else it holds; a displaced one
// takes the displacement with the most agreeing structures, when no other has as many. Reads
// the file as it lies: the file's own displacement setting is ignored.
DisplacementFinding FindDisplacement(const StoreFile& file);

// Every group of structures that agree on one displacement and are a store of their own (two
// stores written one after the other, pieces of one store moved apart): the store at its place
// first, then by support. A group whose structures lie inside the mails of another, or are
// copies of the other's structures, is part of that other, not a store. Empty when nothing
// agrees.
enum class SurveyReach {
    Sampled,  // a bounded amount of reading, whatever the file's size
    Whole,    // every byte (a disk image holds stores anywhere)
};
// How far a survey has come: told on the calling thread after each stretch it looked at.
struct SurveyProgress {
    std::uint64_t position = 0;  // the file is surveyed up to here
    std::uint64_t length = 0;
    std::size_t storeHeaders = 0;  // stores' own headers seen so far
};
using SurveyObserver = std::function<void(const SurveyProgress&)>;

// A raised `stop` ends the survey early: the groups of what it looked at so far are returned.
std::vector<DisplacementFinding> FindDisplacements(const StoreFile& file,
                                                   SurveyReach reach = SurveyReach::Sampled,
                                                   const std::atomic<int>* stop = nullptr,
                                                   const SurveyObserver& observe = {});

}  // namespace dbx
