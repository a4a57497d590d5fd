#include "dressing/dressed_controls.h"

#include <QDialog>

#include <algorithm>

#include "ansi_codepage.h"
#include "image_button.h"
#include "link_button.h"
#include "main_window_ids.h"
#include "round_group_box.h"
#include "transparent_static.h"

namespace dbx {

QWidget* MakeDressedMainControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.id) {
        case kIdNext:
        case kIdBack:
        case kIdStop:
        case kIdSave:
        case kIdSettings:
        case kIdLiveUpdate:
        case kIdSelectAll:
        case kIdUnselectAll:
        case kIdHiddenBrowse:
        case kIdHiddenNext:
            return new CImageButton(AnsiToQString(control.text), parent);
        case kIdHomePage:
            return new CLinkButton(parent);
        case kIdSelectFrame: {
            auto* frame = new CRoundGroupBox(AnsiToQString(control.text), parent);
            // A frame only: what lies inside it takes the clicks.
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            return frame;
        }
        default:
            return MakeTransparentStatic(control, parent, {kIdInstruction, kIdStatusLine});
    }
}

QWidget* MakeTransparentStatic(const ControlTemplate& control, QWidget* parent,
                               std::initializer_list<int> ids) {
    if (control.cls != ControlClass::Static ||
        std::find(ids.begin(), ids.end(), control.id) == ids.end()) {
        return nullptr;
    }
    auto* label = new CTransparentStatic(parent);
    label->SetWindowText(AnsiToQString(control.text));
    return label;
}

void UseSmallDialogFrame(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

}  // namespace dbx
