#pragma once

#include <cstdint>
#include <string>

namespace dbx {

// Where a renderer reports what happens over its links. The message number and parameter are
// those given with the target, so one receiver can tell several renderers apart.
class MarkupNotifyTarget {
  public:
    virtual ~MarkupNotifyTarget() = default;

    // The link under the mouse changed: its number in text order, or -2 when the mouse left.
    virtual void OnLinkHover(unsigned message, int linkNumber, std::intptr_t parameter) {
        (void)message, (void)linkNumber, (void)parameter;
    }

    // A message link was clicked; `target` is its msg attribute.
    virtual void OnLinkMessage(unsigned message, const std::string& target,
                               std::intptr_t parameter) {
        (void)message, (void)target, (void)parameter;
    }
};

}  // namespace dbx
