#include "globals.h"

namespace dbx {

RecoveryDialog* g_pMainDialog = nullptr;
std::string g_strSourceFile;
std::string g_strPreviewPage;
std::atomic<int> g_bStopSearch{0};
std::atomic<int> g_bStopPreview{0};
std::atomic<int> g_bSearchRunning{0};
std::atomic<int> g_bJobBusy{0};
std::atomic<int> g_bPreviewRunning{0};
std::atomic<std::uint32_t> g_nStoreLength{0};
MailCounter g_nMailCounter;
std::string g_szExtractedMail;

}  // namespace dbx
