#include "menu_skin.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QVariant>

#include <algorithm>
#include <map>
#include <vector>

namespace dbx {
namespace {

constexpr char kOwnerDrawProperty[] = "skinOwnerDraw";
constexpr char kTextProperty[] = "skinText";  // the item's own text, as the skin recorded it
constexpr char kCommandProperty[] = "commandId";
constexpr int kTextLimit = 255;  // characters of an item text the skin reads

struct CommandImage {
    const ImageList* images = nullptr;
    int index = -1;
};

struct Tables {
    std::vector<std::pair<QPointer<QMenu>, QString>> submenuText;
    std::map<std::uint32_t, CommandImage> commandImage;
};

Tables& TheTables() {
    static Tables tables;
    return tables;
}

std::uint32_t CommandOf(const QAction* item) {
    return item->property(kCommandProperty).toUInt();
}

bool IsOwnerDrawn(const QAction* item) {
    return item->property(kOwnerDrawProperty).toBool();
}

// The item's text as the menu holds it: the caption, and after a tab any accelerator text.
QString ItemText(const QAction* item) {
    QString text = item->text();
    const QKeySequence shortcut = item->shortcut();
    if (!shortcut.isEmpty() && !text.contains(u'\t')) {
        text += u'\t' + shortcut.toString(QKeySequence::NativeText);
    }
    return text.left(kTextLimit);
}

QList<QAction*> ItemsOf(QWidget* menu) {
    return menu ? menu->actions() : QList<QAction*>();
}

QAction* DefaultItemOf(QWidget* menu) {
    auto* popup = qobject_cast<QMenu*>(menu);
    return popup ? popup->defaultAction() : nullptr;
}

void SetItemData(QAction* item, std::uint32_t data) {
    // Through the action's data, so the menu hears of the change and lays itself out anew.
    if (item->data().toUInt() != data || !item->data().isValid()) item->setData(data);
}

QString WithoutFirstAmpersand(QString text) {
    const qsizetype at = text.indexOf(u'&');
    if (at >= 0) text.remove(at, 1);
    return text;
}

QString WithoutMnemonics(const QString& text) {
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

}  // namespace

QString SkinItemInfo::CaptionText() const {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? text : text.left(tab);
}

QString SkinItemInfo::AcceleratorText() const {
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? QString() : text.mid(tab + 1);
}

SkinItemInfo BuildSkinItemInfo(QWidget* menu, QAction* item) {
    SkinItemInfo info;
    if (!item) return info;
    if (item->isSeparator()) info.type |= kItemTypeSeparator;
    if (IsOwnerDrawn(item)) info.type |= kItemTypeOwnerDraw;
    if (!item->isEnabled()) info.state |= kItemStateDisabled;
    if (item == DefaultItemOf(menu)) info.state |= kItemStateDefault;
    if (item->isCheckable() && item->isChecked()) info.state |= kItemStateChecked;
    info.id = CommandOf(item);
    info.submenu = item->menu();
    info.itemData = SkinItemData(item);
    if (info.IsSeparator()) return info;
    Tables& tables = TheTables();
    if (info.submenu) {
        for (const auto& [submenu, text] : tables.submenuText) {
            if (submenu == info.submenu) info.text = text;
        }
        return info;
    }
    // Each item keeps its own text: items without a command id (or sharing one) have texts of
    // their own too.
    info.text = item->property(kTextProperty).toString();
    if (auto it = tables.commandImage.find(info.id); it != tables.commandImage.end()) {
        info.imageList = it->second.images;
        info.imageIndex = it->second.index;
    }
    return info;
}

void MarkSkinnedWindow(QWidget* window, bool on) {
    if (!window) return;
    window->setProperty(kSkinMarker, on ? QVariant(1) : QVariant());
}

bool IsSkinnedWindow(const QWidget* window) {
    return window && window->property(kSkinMarker).toInt() != 0;
}

void ConvertMenuBar(QWidget* window) {
    if (!IsSkinnedWindow(window)) return;
    QMenuBar* bar = window->findChild<QMenuBar*>();
    if (!bar) return;
    SkinMenu(window, bar, true, true);
    // Alt and a title's letter open its menu, whether or not the title marks a letter: the
    // marked one, else the first.
    for (QAction* title : bar->actions()) {
        const QString caption = title->text();
        if (caption.isEmpty() || title->isSeparator()) continue;
        const qsizetype marked = caption.indexOf(u'&');
        const QChar letter =
            marked >= 0 && marked + 1 < caption.size() ? caption[marked + 1] : caption[0];
        if (!letter.isLetterOrNumber() || marked >= 0) continue;  // Qt opens marked ones itself
        auto* opener = new QShortcut(QKeySequence(Qt::ALT | letter.toUpper().unicode()), window);
        opener->setObjectName(QStringLiteral("menuOpener"));
        QObject::connect(opener, &QShortcut::activated, bar, [bar, title] {
            if (title->isVisible() && title->isEnabled()) bar->setActiveAction(title);
        });
    }
}

std::uint32_t PackPopupItemSize(int captionWidth, int acceleratorWidth, int height) {
    captionWidth = std::clamp(captionWidth, 0, 0xFFFF);
    acceleratorWidth = std::max(acceleratorWidth, 0);
    // The accelerator field holds 8 bits; what does not fit there goes to the caption's width,
    // so the item is still as wide as its texts.
    if (acceleratorWidth > 0xFF) {
        captionWidth = std::min(0xFFFF, captionWidth + acceleratorWidth - 0xFF);
        acceleratorWidth = 0xFF;
    }
    return (std::uint32_t(captionWidth) << 16) | (std::uint32_t(acceleratorWidth) << 8) |
           std::uint32_t(std::clamp(height, 0, 0xFF));
}

std::uint32_t SkinItemData(const QAction* item) {
    return item ? item->data().toUInt() : 0;
}

void SkinMenu(QWidget* window, QWidget* menu, bool enabled, bool menuBar) {
    (void)window;
    if (!enabled || !menu) return;
    Tables& tables = TheTables();
    std::erase_if(tables.submenuText, [](const auto& entry) { return entry.first.isNull(); });

    const QFont font = QApplication::font(menuBar ? "QMenuBar" : "QMenu");
    const QFontMetrics metrics(font);
    const int textHeight = metrics.ascent() + metrics.descent();
    const int itemHeight = textHeight + 2 > 16 ? textHeight + 6 : 20;
    const int separatorHeight = textHeight / 2 + 2;
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    QFont normal = font;
    if (normal.weight() >= QFont::Bold) normal.setWeight(QFont::Normal);

    int widestCaption = 0, widestAccelerator = 0;
    const QList<QAction*> items = ItemsOf(menu);
    for (QAction* item : items) {
        if (!IsOwnerDrawn(item)) {
            item->setProperty(kOwnerDrawProperty, true);
            const QString text = ItemText(item);
            if (menuBar) {
                SetItemData(item, std::uint32_t(std::min(
                                      0xFFFF, metrics.horizontalAdvance(WithoutMnemonics(text))))
                                      << 16);
            }
            if (!item->isSeparator()) {
                if (QMenu* submenu = item->menu()) {
                    auto it = std::find_if(tables.submenuText.begin(), tables.submenuText.end(),
                                           [&](const auto& e) { return e.first == submenu; });
                    if (it == tables.submenuText.end()) {
                        tables.submenuText.emplace_back(submenu, text);
                    } else {
                        it->second = text;
                    }
                } else {
                    item->setProperty(kTextProperty, text);
                }
            }
        }
        if (menuBar) continue;
        const SkinItemInfo info = BuildSkinItemInfo(menu, item);
        if (info.IsSeparator()) continue;
        const QFontMetrics m(info.IsDefault() ? bold : normal);
        widestCaption =
            std::max(widestCaption, m.horizontalAdvance(WithoutFirstAmpersand(info.CaptionText())));
        widestAccelerator =
            std::max(widestAccelerator, m.horizontalAdvance(info.AcceleratorText()));
    }
    if (menuBar) return;
    const std::uint32_t packed = PackPopupItemSize(widestCaption, widestAccelerator, itemHeight);
    for (QAction* item : items) {
        SetItemData(item, item->isSeparator() ? std::uint32_t(separatorHeight) : packed);
    }
}

void AssignCommandImage(std::uint32_t command, const ImageList* images, int index) {
    TheTables().commandImage[command] = {images, index};
}

bool MenuIsSkinned(const QWidget* menu) {
    if (!menu || menu->actions().isEmpty()) return false;
    return IsOwnerDrawn(menu->actions().first());
}

std::uint32_t FindMnemonicItem(QWidget* menu, QChar ch, unsigned flags) {
    if (flags != 0 && (flags & (kMenuFlagPopup | kMenuFlagSysMenu)) != kMenuFlagPopup) return 0;
    const QChar wanted = ch.toUpper();
    const QList<QAction*> items = ItemsOf(menu);
    for (qsizetype position = 0; position < items.size(); ++position) {
        const QString caption = BuildSkinItemInfo(menu, items[position]).CaptionText().toUpper();
        for (qsizetype i = caption.size() - 2; i >= 0; --i) {
            if (caption[i] != u'&' || caption[i + 1] != wanted) continue;
            if (i > 0 && caption[i - 1] == u'&') continue;  // an escaped ampersand
            return (2u << 16) | std::uint32_t(position);
        }
    }
    return 0;
}

MeasureItemRecord MeasureSkinnedItem(MeasureItemRecord record) {
    if (record.type != RecordType::Menu) return record;
    const std::uint32_t data = record.itemData;
    record.height = int(data & 0xFF);
    record.width =
        record.height != 0 ? int((data >> 16) + ((data >> 8) & 0xFF) + 42) : int((data >> 16) + 4);
    return record;
}

void ClearMenuSkinTables() {
    Tables& tables = TheTables();
    tables.submenuText.clear();
    tables.commandImage.clear();
}

}  // namespace dbx
