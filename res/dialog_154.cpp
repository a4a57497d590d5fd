// Dialog template 154, "Saving Mails...": what is being saved and how far the save is.
#include "templates.h"

namespace dbx {

const DialogTemplate& SavingDialogTemplate() {
    using C = ControlClass;
    static const DialogTemplate dialog{
        kIddSaving,
        "Saving Mails...",
        329,
        163,
        "MS Sans Serif",
        8,
        0,
        {
            // id  class           text        x    y    cx   cy  visible
            {1015, C::Static, "From :", 23, 22, 32, 11, true},
            {1016, C::Static, "To :", 23, 41, 26, 11, true},
            {1018, C::Static, "Subject :", 23, 60, 32, 11, true},
            {1017, C::Static, "", 62, 22, 260, 13, true},
            {1029, C::Static, "", 61, 41, 248, 12, true},
            {1030, C::Static, "", 59, 60, 262, 10, true},
            {1014, C::ProgressBar, "", 24, 114, 259, 9, true},
            {1, C::PushButton, "OK", 139, 143, 50, 14, true},
            {2, C::PushButton, "Cancel", 111, 143, 50, 14, false},
        },
    };
    return dialog;
}

}  // namespace dbx
