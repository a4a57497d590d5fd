#pragma once

#include <QWidget>

#include <functional>
#include <map>

#include "dialog_template.h"

class QMenuBar;

namespace dbx {

// Makes the widget of a control the dialog wants to make itself; null leaves it to the
// builder.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

// Creates every control of `dialog` as a child of `client`, at its pixel rectangle, with its
// text and initial visibility, and returns them by id. Static texts are `StaticText`s, group
// boxes `QGroupBox`es, edits `QLineEdit`s, buttons `QPushButton`s that neither Enter nor
// Escape press, progress bars `QProgressBar`s of 0 to 100; pictures are `QLabel`s the size of
// their image, taken from the resource registry.
std::map<int, QWidget*> BuildControls(const DialogTemplate& dialog, QWidget* client,
                                      const ControlFactory& factory = {});

// The font the template names, at its point size.
QFont TemplateFont(const DialogTemplate& dialog);

// A menu bar of the template's pop-ups; every item's action carries its command id in the
// property "commandId" and reports it to `onCommand` when triggered.
QMenuBar* BuildMenuBar(const MenuTemplate& menu, QWidget* parent,
                       const std::function<void(int)>& onCommand);

}  // namespace dbx
