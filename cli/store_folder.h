#pragma once

#include <string>
#include <vector>

namespace dbx::cli {

// One store of an Outlook Express store folder.
struct FolderStore {
    std::string path;
    std::string name;  // the folder's name, safe as a file name and unique in the listing
};

// The message stores in `folder`, in name order: every ".dbx" (any case) except the ones
// that never hold messages (Folders.dbx, Offline.dbx, Pop3uidl.dbx) and stores whose header
// says they are something else than a message folder. A store too damaged to say is kept.
// False with `error` set when the folder cannot be read.
bool ListStoreFolder(const std::string& folder, std::vector<FolderStore>& stores,
                     std::string& error);

// False only when the file's header is a store header of another kind than a message folder.
bool MayHoldMessages(const std::string& path);

}  // namespace dbx::cli
