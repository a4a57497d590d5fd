#pragma once

#include "static_text.h"

namespace dbx {

// A static text with no background of its own: the parent's painting shows through, and a new
// text has the parent repaint what lies under the control first, so no old text remains.
class CTransparentStatic : public StaticText {
    Q_OBJECT

  public:
    explicit CTransparentStatic(QWidget* parent = nullptr);

  protected:
    void OnWindowTextChanged() override;
};

}  // namespace dbx
