// Exit: the close box, Alt+F4 and the Exit commands end the process after a question.
#include "app_message.h"
#include "app_texts.h"
#include "empty_folder.h"
#include "globals.h"
#include "preview_controller.h"
#include "process_end.h"
#include "recovery_dialog.h"
#include "save_controller.h"

namespace dbx {

void RecoveryDialog::OnExit() {
    if (isMinimized()) showNormal();
    show();
    if (Ask(texts::kExitQuestion) != kIdYes) return;
    g_bStopSearch = 1;
    g_bStopPreview = 1;
    m_save->RequestStop();
    OnHomePage();
    CleanUpBeforeEnd();
    // A job still running ends with the process; nothing waits for it.
    EndProcess(0);
}

void RecoveryDialog::CleanUpBeforeEnd() {
    // Recovered mail must not outlive the program in the temporary folder. Only this run's
    // own folder is removed: another running copy has a folder of its own.
    RemoveFolder(m_preview->Folder());
}

}  // namespace dbx
