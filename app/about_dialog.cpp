#include "about_dialog.h"

#include <QPushButton>

#include "resource_registry.h"
#include "templates.h"

namespace dbx {

AboutDialog::AboutDialog(QWidget* parent)
    : TemplateDialog(AboutDialogTemplate(), ResourceRegistry::Instance().Image(kIdrAboutBackground),
                     parent) {
    if (auto* ok = ControlAs<QPushButton>(1)) {
        ok->setDefault(true);
        ok->setFocus();
    }
}

}  // namespace dbx
