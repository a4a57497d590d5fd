#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "message_extractor.h"

namespace dbx {

class RecoveryDialog;

// State shared by the main window and its jobs. The flags are single words read and written
// whole; no other ordering is relied on. The strings are written on the user-interface thread
// before a job starts and copied by the job when it starts.
extern RecoveryDialog* g_pMainDialog;
extern std::string g_strSourceFile;   // store of the current search
extern std::string g_strPreviewPage;  // start page of the preview pane
extern std::atomic<int> g_bStopSearch;
extern std::atomic<int> g_bStopPreview;
extern std::atomic<int> g_bSearchRunning;
extern std::atomic<int> g_bJobBusy;
extern std::atomic<int> g_bPreviewRunning;
extern std::atomic<std::uint32_t> g_nStoreLength;
extern MailCounter g_nMailCounter;     // number of the next extracted .eml
extern std::string g_szExtractedMail;  // the .eml the next preview shows; "" for none

}  // namespace dbx
