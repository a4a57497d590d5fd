#include "dedupe.h"

#include <unordered_map>

namespace dbx {

std::vector<RecoveredMessage> OneRowPerBody(std::vector<RecoveredMessage> messages) {
    std::unordered_map<std::uint32_t, std::size_t> winner;  // body offset -> index
    winner.reserve(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        auto [it, first] = winner.emplace(messages[i].offset, i);
        if (!first && messages[it->second].deleted && !messages[i].deleted) it->second = i;
    }
    std::vector<RecoveredMessage> kept;
    kept.reserve(winner.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (winner.at(messages[i].offset) == i) kept.push_back(std::move(messages[i]));
    }
    return kept;
}

}  // namespace dbx

namespace dbx {

void OneRowPerBodyObserver::OnMessage(const RecoveredMessage& message) {
    if (message.deleted) {
        held_.push_back(message);
    } else {
        Pass(message);
    }
}

void OneRowPerBodyObserver::Flush() {
    for (const RecoveredMessage& message : held_) Pass(message);
    held_.clear();
}

void OneRowPerBodyObserver::Pass(const RecoveredMessage& message) {
    if (!shown_.insert(message.offset).second) return;
    listed_.push_back(message);
    next_.OnMessage(message);
}

}  // namespace dbx
