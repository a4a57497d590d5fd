// The string table.
#include "resource_registry.h"
#include "templates.h"

namespace dbx {

void AddStringResources(ResourceRegistry& registry) {
    registry.AddString(kIdsAboutItem, "&About Varnook Tobrin Outlook express...");
}

}  // namespace dbx
