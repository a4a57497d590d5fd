// Dialog template 100, the About box: rectangles in dialog units of its 8-point font.
#include "templates.h"

namespace dbx {

const DialogTemplate& AboutDialogTemplate() {
    using C = ControlClass;
    static const DialogTemplate dialog{
        kIddAbout,
        "About Varnook Tobrin Outlook Express",
        305,
        265,
        "MS Sans Serif",
        8,
        0,
        {
            // id  class      text                                     x    y    cx   cy  visible
            {1015, C::Static, "Varnook Tobrin Outlook Express  Version " DBXR_VERSION, 41, 142, 215,
             10, true},
            {1016, C::Static, "Made by Varnook Tobrin Software Works, Quillmark", 41, 158, 197, 10,
             true},
            {1018, C::Static,
             "Web: www.varnook-tobrin.example\r\n\r\nHelp: support@varnook-tobrin.example\r\n\r\n"
             "Orders: sales@varnook-tobrin.example",
             41, 175, 223, 42, true},
            {1, C::PushButton, "OK", 129, 224, 50, 14, true},
        },
    };
    return dialog;
}

}  // namespace dbx
