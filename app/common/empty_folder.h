#pragma once

#include <string>

namespace dbx {

// Removes everything inside `folder`; the folder itself stays. Links are removed, never
// followed. Returns the number of entries that could not be removed.
int EmptyFolder(const std::string& folder);

// Empties `folder` as above and removes it. False when something is left.
bool RemoveFolder(const std::string& folder);

}  // namespace dbx
