// Exit: the close box, Alt+F4 and the Exit commands end the process after a question.
#include "app_texts.h"
#include "empty_folder.h"
#include "globals.h"
#include "markup_message_box.h"
#include "process_end.h"
#include "recovery_dialog.h"

namespace dbx {

void RecoveryDialog::OnExit() {
    if (isMinimized()) showNormal();
    show();
    const MessageBoxOptions options = AppMessageOptions();
    const int answer = ShowMarkupMessageBox(nullptr, texts::kExitQuestion, texts::kCaption,
                                            kMbYesNo | kMbIconQuestion, &options);
    if (answer != kIdYes) return;
    g_bStopSearch = 1;
    OnHomePage();
    CleanUpBeforeEnd();
    // A job still running ends with the process.
    EndProcess(0);
}

void RecoveryDialog::CleanUpBeforeEnd() {
    // Recovered mail must not outlive the program in the temporary folder.
    EmptyFolder(m_strPreviewDir);
}

}  // namespace dbx
