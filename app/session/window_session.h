#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "message_extractor.h"

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
    // By how much the store of the last search is displaced (see StoreFile::SetDisplacement);
    // preview and Save read the store at the positions it names.
    std::int64_t storeDisplacement = 0;
    // The first blocks of the listed orphans that lack the start of their chain, for Save's
    // report.
    std::unordered_set<std::uint32_t> headlessOrphans;
    // What the disk failed to give in the last search; preview and Save add to it and do not
    // try those sectors again.
    std::shared_ptr<UnreadableRanges> unreadable;
    MailCounter mailCounter;  // g_nMailCounter: number of the next extracted .eml
};

}  // namespace dbx
