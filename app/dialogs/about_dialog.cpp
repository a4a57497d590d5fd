#include "dialogs/about_dialog.h"

#include <QPushButton>

#include "dressing/dressed_controls.h"
#include "resource_registry.h"
#include "templates.h"

namespace dbx {

AboutDialog::AboutDialog(QWidget* parent)
    : TemplateDialog(AboutDialogTemplate(), ResourceRegistry::Instance().Image(kIdrAboutBackground),
                     parent, [](const ControlTemplate& control, QWidget* client) {
                         return MakeTransparentStatic(control, client, {1015, 1016, 1018});
                     }) {
    UseSmallDialogFrame(*this);
    if (auto* ok = ControlAs<QPushButton>(1)) {
        ok->setDefault(true);
        ok->setFocus();
    }
}

}  // namespace dbx
