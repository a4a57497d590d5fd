#include "menu_skin_style.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include "menu_skin.h"
#include "menu_skin_settings.h"
#include "system_colors.h"

namespace dbx {
namespace {

QWidget* Unconst(const QWidget* widget) {
    return const_cast<QWidget*>(widget);
}

// The item an option describes. A drawing option's rectangle is the item's; a sizing option
// carries the whole menu's, so there the first item with the same text is taken.
QAction* ItemOf(const QStyleOptionMenuItem* option, const QWidget* widget, bool drawing) {
    if (drawing) {
        if (auto* menu = qobject_cast<const QMenu*>(widget)) {
            return menu->actionAt(option->rect.center());
        }
        if (auto* bar = qobject_cast<const QMenuBar*>(widget)) {
            return bar->actionAt(option->rect.center());
        }
    }
    const bool separator = option->menuItemType == QStyleOptionMenuItem::Separator;
    const QString caption = option->text.section(u'\t', 0, 0);
    for (QAction* item : widget->actions()) {
        if (separator ? item->isSeparator() : (!item->isSeparator() && item->text() == caption))
            return item;
    }
    return nullptr;
}

bool Skinned(const QWidget* widget) {
    return (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget)) &&
           MenuIsSkinned(widget);
}

}  // namespace

MenuSkinStyle::MenuSkinStyle(QStyle* base) : QProxyStyle(base) {}

QSize MenuSkinStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                      const QSize& size, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if ((type == CT_MenuItem || type == CT_MenuBarItem) && item && Skinned(widget)) {
        if (QAction* action = ItemOf(item, widget, false)) {
            MeasureItemRecord record;
            record.itemData = SkinItemData(action);
            record = MeasureSkinnedItem(record);
            if (type == CT_MenuBarItem) {
                return QSize(record.width,
                             QProxyStyle::sizeFromContents(type, option, size, widget).height());
            }
            return QSize(record.width, record.height);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void MenuSkinStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if ((element == CE_MenuItem || element == CE_MenuBarItem) && item && Skinned(widget)) {
        DrawItemRecord record;
        record.menu = Unconst(widget);
        record.item = ItemOf(item, widget, true);
        record.rect = option->rect;
        record.painter = painter;
        record.itemData = SkinItemData(record.item);
        record.bitsPerPixel = painter->device() ? painter->device()->depth() : 32;
        if (element == CE_MenuBarItem) {
            // Sunken: its popup is open; selected alone: the pointer or the keyboard is on it.
            if (option->state & State_Sunken) {
                record.state |= kDrawSelected;
            } else if (option->state & State_Selected) {
                record.state |= kDrawHotLight;
            }
            if (widget && !widget->isActiveWindow()) record.state |= kDrawInactive;
        } else if (option->state & State_Selected) {
            record.state |= kDrawSelected;
        }
        if (!(option->state & State_Enabled)) record.state |= kDrawDisabled;
        if (record.item && DrawSkinnedItem(record, Unconst(widget))) return;
    }
    if (element == CE_MenuBarEmptyArea && Skinned(widget)) {
        painter->fillRect(option->rect, ToQColor(GetSysColor(kColorBtnFace)));
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void MenuSkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    if ((element == PE_PanelMenu || element == PE_FrameMenu) && Skinned(widget)) {
        // A plain frame round the items, the text area's colour inside.
        if (element == PE_PanelMenu) {
            painter->fillRect(option->rect, ToQColor(CurrentMenuSkinSettings().gradientEnd));
        }
        painter->setPen(ToQColor(GetSysColor(kColorBtnShadow)));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    if (element == PE_PanelMenuBar && Skinned(widget)) {
        painter->fillRect(option->rect, ToQColor(GetSysColor(kColorBtnFace)));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int MenuSkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const {
    if (Skinned(widget)) {
        switch (metric) {
            case PM_MenuPanelWidth:
                return 1;
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuBarItemSpacing:
            case PM_MenuBarHMargin:
            case PM_MenuBarVMargin:
            case PM_MenuBarPanelWidth:
                return 0;
            default:
                break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void MenuSkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (qobject_cast<QMenuBar*>(widget)) widget->installEventFilter(this);
}

void MenuSkinStyle::unpolish(QWidget* widget) {
    if (qobject_cast<QMenuBar*>(widget)) widget->removeEventFilter(this);
    QProxyStyle::unpolish(widget);
}

bool MenuSkinStyle::eventFilter(QObject* watched, QEvent* event) {
    // The bar's titles are drawn in the inactive colour while its window is inactive; Qt does
    // not draw a menu bar again when that changes, so it kept the start-up look.
    if (event->type() == QEvent::ActivationChange) {
        if (auto* bar = qobject_cast<QMenuBar*>(watched)) bar->update();
    }
    return QProxyStyle::eventFilter(watched, event);
}

int MenuSkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
    switch (hint) {
        case SH_MenuBar_AltKeyNavigation:
        case SH_UnderlineShortcut:
            return 1;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

}  // namespace dbx
