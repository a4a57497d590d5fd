#include "dialog_builder.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "ansi_codepage.h"
#include "dialog_units.h"
#include "resource_registry.h"
#include "static_text.h"

namespace dbx {
namespace {

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
    const QString text = AnsiToQString(control.text);
    switch (control.cls) {
        case ControlClass::Static: {
            auto* label = new StaticText(parent);
            label->SetWindowText(text);
            return label;
        }
        case ControlClass::StaticBitmap: {
            auto* picture = new QLabel(parent);
            picture->setAttribute(Qt::WA_TransparentForMouseEvents);
            const QImage image = ResourceRegistry::Instance().Image(control.resource);
            if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image));
            return picture;
        }
        case ControlClass::GroupBox: {
            auto* frame = new QGroupBox(text, parent);
            // A frame only: what lies inside it takes the clicks.
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            return frame;
        }
        case ControlClass::Edit:
            return new QLineEdit(text, parent);
        case ControlClass::PushButton: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            return button;
        }
        case ControlClass::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlClass::ListView:
        case ControlClass::Custom:
            break;
    }
    auto* placeholder = new QWidget(parent);
    return placeholder;
}

}  // namespace

std::map<int, QWidget*> BuildControls(const DialogTemplate& dialog, QWidget* client,
                                      const ControlFactory& factory) {
    std::map<int, QWidget*> controls;
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = factory ? factory(control, client) : nullptr;
        if (!widget) widget = MakeControl(control, client);
        QRect rect = DialogUnitsToPixels(QRect(control.x, control.y, control.cx, control.cy));
        // A picture static takes the size of its picture, as bitmap statics do.
        if (auto* picture = qobject_cast<QLabel*>(widget);
            control.cls == ControlClass::StaticBitmap && picture && !picture->pixmap().isNull()) {
            rect.setSize(picture->pixmap().size());
        }
        widget->setGeometry(rect);
        widget->setObjectName(QStringLiteral("control%1").arg(control.id));
        widget->setProperty("controlId", control.id);
        widget->setVisible(control.visible);
        controls[control.id] = widget;
    }
    return controls;
}

QFont TemplateFont(const DialogTemplate& dialog) {
    QFont font(AnsiToQString(dialog.fontFace));
    font.setPointSize(dialog.fontPoints);
    return font;
}

namespace {

void AddItems(QMenu* menu, const std::vector<MenuItemTemplate>& items,
              const std::function<void(int)>& onCommand) {
    for (const MenuItemTemplate& item : items) {
        if (item.separator) {
            menu->addSeparator();
        } else if (!item.items.empty()) {
            AddItems(menu->addMenu(AnsiToQString(item.text)), item.items, onCommand);
        } else {
            QAction* action = menu->addAction(AnsiToQString(item.text));
            const int command = item.command;
            action->setProperty("commandId", command);
            QObject::connect(action, &QAction::triggered, menu,
                             [onCommand, command] { onCommand(command); });
        }
    }
}

}  // namespace

QMenuBar* BuildMenuBar(const MenuTemplate& menu, QWidget* parent,
                       const std::function<void(int)>& onCommand) {
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QStringLiteral("menu%1").arg(menu.id));
    for (const MenuItemTemplate& popup : menu.popups) {
        AddItems(bar->addMenu(AnsiToQString(popup.text)), popup.items, onCommand);
    }
    return bar;
}

}  // namespace dbx
