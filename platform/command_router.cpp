#include "command_router.h"

namespace dbx {

void CommandRouter::Add(std::initializer_list<int> ids, const Handler& handler) {
    for (int id : ids) handlers_[id] = handler;
}

bool CommandRouter::Route(int id) const {
    auto it = handlers_.find(id);
    if (it == handlers_.end() || !it->second) return false;
    // A copy: a handler may replace the routes while it runs.
    Handler handler = it->second;
    handler();
    return true;
}

}  // namespace dbx
