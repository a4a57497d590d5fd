#pragma once

#include <initializer_list>

#include "dialog_template.h"

class QDialog;
class QWidget;

namespace dbx {

// The controls of the main window that are dressed: image buttons, the link button, the
// painted statics and the round group box; null for any other, which the builder makes.
QWidget* MakeDressedMainControl(const ControlTemplate& control, QWidget* parent);

// A painted static for each static of `ids`; null for any other control.
QWidget* MakeTransparentStatic(const ControlTemplate& control, QWidget* parent,
                               std::initializer_list<int> ids);

// A fixed-size dialog with a caption and a window menu: its title bar offers Close only.
void UseSmallDialogFrame(QDialog& dialog);

}  // namespace dbx
