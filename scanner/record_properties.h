#pragma once

#include <cstdint>

#include "store_layout.h"

namespace dbx {

// Values of the property entries the recognisers use; 0 means absent.
struct RecordProperties {
    std::uint32_t messageOffset = 0;
    bool offsetInDataArea = false;
    std::uint32_t subject = 0;
    std::uint32_t sender = 0;
    std::uint32_t date = 0;
    std::uint32_t recipient = 0;
    std::uint32_t messageSize = 0;  // bytes of the message, as the record gives them

    // When several entries carry the same id, the last one wins; a stored message offset
    // stays marked as stored.
    void Take(std::uint32_t entry) {
        const std::uint32_t value = entry >> 8;
        switch (entry & 0xFF) {
            case layout::kPropMessageOffsetStored:
                messageOffset = value;
                offsetInDataArea = true;
                break;
            case layout::kPropMessageOffsetDirect:
                messageOffset = value;
                break;
            case layout::kPropSubject:
                subject = value;
                break;
            case layout::kPropSender:
                sender = value;
                break;
            case layout::kPropDate:
                date = value;
                break;
            case layout::kPropRecipient:
                recipient = value;
                break;
            case layout::kPropMessageSize:
                messageSize = value;
                break;
            default:
                break;
        }
    }
    bool HasLooseSet() const { return date && sender && messageOffset && recipient; }
};

}  // namespace dbx
