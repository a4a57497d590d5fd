// Dialog template 102, the main window: rectangles in dialog units of its 8-point font.
#include "templates.h"

namespace dbx {

const DialogTemplate& MainDialogTemplate() {
    using C = ControlClass;
    static const DialogTemplate dialog{
        kIddMainDialog,
        "Varnook Tobrin Outlook Express (MBX/DBX Files)",
        528,
        296,
        "MS Sans Serif",
        8,
        kIdrMainMenu,
        {
            // id    class            text           x    y    cx   cy  visible resource
            {1020, C::StaticBitmap, "", 1, 34, 515, 214, true, kIdrStepOnePicture},
            {1016, C::GroupBox, "Select FIle", 49, 92, 432, 131, true},
            {1002, C::Edit, "", 87, 149, 321, 14, true},
            {1001, C::PushButton, "...", 409, 147, 25, 19, true},
            {1000, C::PushButton, "", 461, 260, 33, 30, true},
            {1011, C::PushButton, "", 461, 261, 33, 30, false},
            {1012, C::PushButton, "", 461, 261, 33, 30, false},
            {1007, C::PushButton, "", 3, 1, 30, 25, true},
            {1005, C::PushButton, "", 43, 1, 30, 25, true},
            {1006, C::PushButton, "", 83, 1, 30, 25, true},
            {1021, C::PushButton, "", 123, 1, 30, 25, true},
            {1022, C::PushButton, "", 163, 1, 30, 25, true},
            {1008, C::PushButton, "", 412, 1, 95, 23, true},
            {1003, C::PushButton, "", 3, 1, 6, 6, false},
            {1004, C::PushButton, "", 4, 2, 6, 6, false},
            {1009, C::ListView, "", 10, 29, 504, 137, false},
            {1013, C::Static, "", 11, 169, 504, 1, false},
            {1010, C::Custom, "", 11, 175, 503, 75, true},
            {1015, C::Static, "Static", 49, 266, 333, 26, true},
            {1027, C::Static, "Static", 50, 266, 350, 11, false},
            {1014, C::ProgressBar, "", 64, 278, 281, 8, false},
            {1, C::PushButton, "OK", 0, 0, 6, 6, false},
            {2, C::PushButton, "Cancel", 0, 0, 6, 6, false},
        },
    };
    return dialog;
}

}  // namespace dbx
