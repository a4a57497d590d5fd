#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "message_extractor.h"
#include "piece_map.h"
#include "recovered_message.h"

namespace dbx {

// One ticked row to save: its message as the search found it (where it starts, the group
// of structures and the store it is read from, its date for its file, what of it is known to
// be missing) and the texts the row shows.
struct SaveItem {
    RecoveredMessage listed;
    QString from;
    QString to;
    QString subject;
};

// A save as the user asked for it. Paths and prefix are file-name bytes.
struct SaveRequest {
    std::vector<SaveItem> items;
    std::string storePath;
    std::string folder;
    std::string prefix;
    // A disk image: where the pieces of each of its stores lie (see SearchResult).
    std::vector<std::shared_ptr<const PieceMap>> storePieces;
    // The names of the stores the search found; with two or more, each message goes into a
    // folder of `folder` named after its store.
    std::vector<std::string> storeNames;
    MailCounter* counter = nullptr;  // numbers files named from the prefix; shared with previews
    // The search's record of what the disk could not read, and what stands between the store
    // and the reads (null: the file itself).
    std::shared_ptr<UnreadableRanges> unreadable;
    std::shared_ptr<const ReadDevice> device;
};

// How a save went.
struct SaveReport {
    std::string folder;
    int total = 0;
    int saved = 0;
    // Written, but the folder held the same bytes before the save began: the new file is
    // removed again, and not counted in `saved`.
    int already = 0;
    int failed = 0;
    bool cancelled = false;    // stopped before every message was tried
    std::string firstFailure;  // why the first failed message failed
    // Saved, but their chains of blocks break off (or lack their start): the files hold what
    // was left. Counted in
    // `saved`; the file names of the first few are kept.
    int incomplete = 0;
    std::vector<std::string> incompleteFiles;
};

// What a running save tells as it goes, on the saving thread.
class SaveProgress {
  public:
    virtual ~SaveProgress() = default;
    // The message of `index` is about to be written.
    virtual void OnItem(int index) = 0;
    // `done` messages have been tried.
    virtual void OnDone(int done) = 0;
};

// Writes the request's messages one after the other into its folder, each file dated like
// its message, until all were tried or `stop` is raised; a message the folder already holds
// byte for byte is not kept twice. The bytes are those the command line writes. Thread-safe:
// touches no window.
SaveReport RunSave(const SaveRequest& request, const std::atomic<int>& stop,
                   SaveProgress& progress);

// The closing message of a save, as message-box markup (Windows-1252): how many were saved
// where, which of them are incomplete, how many the folder held already, how many failed and
// why the first did, and how many a cancel left out.
std::string SaveReportText(const SaveReport& report);

}  // namespace dbx
