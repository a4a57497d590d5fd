#pragma once

#include <string>

namespace dbx {

// Removes everything inside `folder`; the folder itself stays. Links are removed, never
// followed. Returns the number of entries that could not be removed.
int EmptyFolder(const std::string& folder);

}  // namespace dbx
