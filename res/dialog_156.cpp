// Dialog template 156, "File Name Setting": the prefix of the names of saved mails.
#include "templates.h"

namespace dbx {

const DialogTemplate& PrefixDialogTemplate() {
    using C = ControlClass;
    static const DialogTemplate dialog{
        kIddPrefix,
        "Varnook Tobrin (File Name Setting)",
        246,
        110,
        "MS Sans Serif",
        8,
        0,
        {
            // id  class            text               x    y    cx   cy  visible
            {-1, C::GroupBox, "", 22, 13, 206, 65, true},
            {1017, C::Static, "File Name Prefix", 35, 36, 61, 15, true},
            {1002, C::Edit, "", 104, 34, 71, 14, true},
            {1, C::PushButton, "OK", 59, 89, 50, 14, true},
            {2, C::PushButton, "Cancel", 140, 89, 50, 14, true},
        },
    };
    return dialog;
}

}  // namespace dbx
