// Menu 130, the main window's menu bar, with the command id of every item.
#include "templates.h"

namespace dbx {

const MenuTemplate& MainMenuTemplate() {
    static const MenuTemplate menu{
        kIdrMainMenu,
        {
            {"Tools",
             0,
             {
                 {"Settings", 32774, {}},
                 {"Live Update", 32775, {}},
                 {"Exit", 32778, {}},
             }},
            {"Help",
             0,
             {
                 {"Help", 32776, {}},
                 {"About", 32777, {}},
                 {"Visit Software home page", 32779, {}},
             }},
        },
    };
    return menu;
}

}  // namespace dbx
