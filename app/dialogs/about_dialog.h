#pragma once

#include "common/template_dialog.h"

namespace dbx {

// "About Varnook Tobrin Outlook Express" (template 100) over its picture; OK closes it.
class AboutDialog : public TemplateDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace dbx
