#pragma once

#include "dialog_template.h"

namespace dbx {

class ResourceRegistry;

// Resource ids of the program's windows.
enum ResourceId : int {
    kIdrMainIcon = 128,
    kIdrBackground = 129,
    kIdrMainMenu = 130,
    kIdrListIconMessage = 147,
    kIdrPrefixBackground = 157,
    kIdrAboutBackground = 158,
    kIdrListIconDeleted = 168,
    kIdrStepOnePicture = 169,
    kIdsAboutItem = 101,
    kIddAbout = 100,
    kIddMainDialog = 102,
    kIddSaving = 154,
    kIddPrefix = 156,
};

// Dialog template 102: the main window.
const DialogTemplate& MainDialogTemplate();
// Dialog template 100: the About box.
const DialogTemplate& AboutDialogTemplate();
// Dialog template 154: the progress of a save.
const DialogTemplate& SavingDialogTemplate();
// Dialog template 156: the file-name prefix.
const DialogTemplate& PrefixDialogTemplate();
// Menu 130: the main window's menu bar.
const MenuTemplate& MainMenuTemplate();
// The string table (string 101, ...).
void AddStringResources(ResourceRegistry& registry);

}  // namespace dbx
