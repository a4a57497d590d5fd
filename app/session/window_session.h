#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "message_extractor.h"
#include "piece_map.h"

namespace dbx {

// What one main window knows between its commands: the user's choices, the store of the
// current search and what that search found out about it. Read and written on the
// user-interface thread; a job copies what it needs into its parameters when it starts, except
// the mail counter, which the jobs share (it is atomic).
struct WindowSession {
    std::string prefix;       // m_strPrefix: file-name prefix of extracted mails
    std::string startDir;     // m_strStartDir: where Help and Live Update are looked for
    std::string browseDir;    // the folder of the last store chosen with Browse
    std::string sourceFile;   // g_strSourceFile: the store of the current search
    std::string previewPage;  // g_strPreviewPage: the pane's start page
    bool deepSearch = false;  // Tools > Deep search, read when a search starts
    // The source is a disk image: the next search finds every store in it (read when a
    // search starts).
    bool imageSearch = false;
    // A disk image searched last: the name of each store found, and where its pieces lie.
    // Preview and Save read each row at its own displacement (see RecoveredMessage), through
    // the map of its store's pieces; with two or more stores, Save puts each message into a
    // folder named after its store.
    std::vector<std::string> storeNames;
    std::vector<std::shared_ptr<const PieceMap>> storePieces;
    // What the disk failed to give in the last search; preview and Save add to it and do not
    // try those sectors again.
    std::shared_ptr<UnreadableRanges> unreadable;
    MailCounter mailCounter;  // g_nMailCounter: number of the next extracted .eml

    // The map of the pieces of store `store` of the last search (null: none).
    std::shared_ptr<const PieceMap> PiecesOf(std::uint32_t store) const {
        return store < storePieces.size() ? storePieces[store] : nullptr;
    }
};

}  // namespace dbx
