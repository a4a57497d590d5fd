#include "transparent_static.h"

namespace dbx {

CTransparentStatic::CTransparentStatic(QWidget* parent) : StaticText(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_NoSystemBackground, true);
}

void CTransparentStatic::OnWindowTextChanged() {
    QWidget* parent = parentWidget();
    if (!parent || !isVisible()) return;
    // The parent paints its background there, then the text is drawn over it.
    parent->repaint(geometry());
}

}  // namespace dbx
