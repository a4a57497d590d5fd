#include "store_space.h"

#include <stdexcept>

#include "store_generator.h"

namespace dbx::gen {

std::uint64_t StoreSpace::Allocate(std::uint64_t size) {
    const std::uint64_t at = end_;
    if (end_ + size > kMaxStoreSize) {
        throw std::invalid_argument("the messages do not fit in a 2 GiB store");
    }
    end_ += size;
    return at;
}

void StoreSpace::Put(std::uint64_t offset, const build::Bytes& bytes) {
    for (Segment* s : {&records_, &blocks_}) {
        if (s->Holds(offset, bytes.size())) {
            s->Put(offset, bytes);
            return;
        }
    }
    out_.WriteAt(offset, bytes.data(), bytes.size());
}

void StoreSpace::OpenRecordSegment() {
    Flush(records_);
    records_.Reset(Allocate(kRecordSegmentSize), kRecordSegmentSize);
    recordsUsed_ = 0;
}

std::uint32_t StoreSpace::PeekRecord(std::size_t size, std::size_t pad) const {
    if (records_.Open() && recordsUsed_ + pad + size <= kRecordSegmentSize) {
        return std::uint32_t(records_.Start() + recordsUsed_ + pad);
    }
    return std::uint32_t(end_ + pad);
}

void StoreSpace::PlaceRecord(std::uint32_t at, const build::Bytes& record) {
    const auto fits = [&] {
        return records_.Open() && at >= records_.Start() + recordsUsed_ &&
               at + record.size() <= records_.Start() + kRecordSegmentSize;
    };
    if (!fits()) {
        OpenRecordSegment();
        if (!fits()) throw std::logic_error("record misplaced");
    }
    recordsUsed_ = at - records_.Start() + record.size();
    Put(at, record);
}

std::uint32_t StoreSpace::NextBlockSlot() {
    if (!blocks_.Open() || blocksUsed_ == kBlocksPerSegment) {
        Flush(blocks_);
        blocks_.Reset(Allocate(kBlockSegmentSize), kBlockSegmentSize);
        blocksUsed_ = 0;
    }
    return std::uint32_t(blocks_.Start() + build::kBlockSize * blocksUsed_++);
}

std::uint64_t StoreSpace::WorstGrowth(std::size_t recordBytes, std::size_t blockSlots) const {
    const bool recordsFit = records_.Open() && recordsUsed_ + recordBytes <= kRecordSegmentSize;
    const std::size_t freeSlots = blocks_.Open() ? kBlocksPerSegment - blocksUsed_ : 0;
    const std::size_t newSegments =
        blockSlots > freeSlots
            ? (blockSlots - freeSlots + kBlocksPerSegment - 1) / kBlocksPerSegment
            : 0;
    return (recordsFit ? 0 : kRecordSegmentSize) + newSegments * kBlockSegmentSize;
}

void StoreSpace::FlushSegments() {
    Flush(records_);
    Flush(blocks_);
}

void StoreSpace::Finish(std::uint64_t fileSize) {
    out_.Resize(fileSize);
    out_.Close();
}

void StoreSpace::Flush(Segment& segment) {
    if (!segment.Open()) return;
    out_.WriteAt(segment.Start(), segment.Contents().data(), segment.Contents().size());
    segment.Close();
}

}  // namespace dbx::gen
