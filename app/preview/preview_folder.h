#pragma once

#include <string>

namespace dbx {

// A new folder under the system's temporary path that only this user can enter (mode 0700),
// made without following any link. Empty on failure.
std::string MakePrivateFolder();

// The preview folder of this run of the program: made by the first call, the same for every
// later one while it lies there (a new one once it has been removed), and never shared with
// another running copy. Empty when it cannot be made, or when what lies under its name is no
// longer the private folder that was made.
std::string RunPreviewFolder();

}  // namespace dbx
