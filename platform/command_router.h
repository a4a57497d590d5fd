#pragma once

#include <functional>
#include <initializer_list>
#include <map>

namespace dbx {

// Commands by numeric id: the buttons, menu items and keys that do the same thing share one
// handler.
class CommandRouter {
  public:
    using Handler = std::function<void()>;

    void Add(std::initializer_list<int> ids, const Handler& handler);
    // Runs the handler of `id`; false when the id has none.
    bool Route(int id) const;
    bool Handles(int id) const { return handlers_.count(id) != 0; }

  private:
    std::map<int, Handler> handlers_;
};

}  // namespace dbx
