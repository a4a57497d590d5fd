#pragma once

#include "dialog_template.h"

namespace dbx {

class ResourceRegistry;

// Resource ids of the main window.
enum ResourceId : int {
    kIdrMainIcon = 128,
    kIdrBackground = 129,
    kIdrMainMenu = 130,
    kIdrListIconMessage = 147,
    kIdrListIconDeleted = 168,
    kIdrStepOnePicture = 169,
    kIdsAboutItem = 101,
    kIddMainDialog = 102,
};

// Dialog template 102: the main window.
const DialogTemplate& MainDialogTemplate();
// Menu 130: the main window's menu bar.
const MenuTemplate& MainMenuTemplate();
// The string table (string 101, ...).
void AddStringResources(ResourceRegistry& registry);

}  // namespace dbx
