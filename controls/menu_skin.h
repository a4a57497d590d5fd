#pragma once

#include <QPointer>
#include <QRect>
#include <QString>

#include <cstdint>

class QAction;
class QMenu;
class QPainter;
class QWidget;

namespace dbx {

class ImageList;
struct MenuSkinSettings;

// Flat, owner-drawn menus for a window that takes part: a tinted icon column, a highlighted
// selection, 16 x 16 icons beside commands that have one, bold default items. A window takes
// part by carrying the marker and forwarding its menu events (popup about to show, measuring,
// drawing, mnemonic keys) to these operations. Menus are a QMenuBar (the menu bar) or QMenu
// (popups); items are their actions, a command item's id in its property "commandId".

inline constexpr char kSkinMarker[] = "SkinWndProp_Menu";

// Bits of an item's type and state, as the skin reads them.
enum MenuItemBits : unsigned {
    kItemTypeSeparator = 0x800,
    kItemTypeOwnerDraw = 0x100,
    kItemStateDisabled = 0x3,
    kItemStateChecked = 0x8,
    kItemStateDefault = 0x1000,
};

// One item as the skin sees it when measuring or drawing it.
struct SkinItemInfo {
    unsigned type = 0;
    unsigned state = 0;
    std::uint32_t id = 0;
    QMenu* submenu = nullptr;
    std::uint32_t itemData = 0;
    QString text;  // with "&" markers and a tab before any accelerator text
    const ImageList* imageList = nullptr;
    int imageIndex = -1;

    bool IsSeparator() const { return type & kItemTypeSeparator; }
    bool IsDisabled() const { return (state & kItemStateDisabled) == kItemStateDisabled; }
    bool IsDefault() const { return state & kItemStateDefault; }
    bool IsChecked() const { return state & kItemStateChecked; }
    bool HasImage() const { return imageList != nullptr && imageIndex != -1; }
    QString CaptionText() const;
    QString AcceleratorText() const;
};

// Builds the snapshot of `item` of `menu` from the tables.
SkinItemInfo BuildSkinItemInfo(QWidget* menu, QAction* item);

void MarkSkinnedWindow(QWidget* window, bool on);
bool IsSkinnedWindow(const QWidget* window);
// Skins the window's menu bar when the window is marked and has one.
void ConvertMenuBar(QWidget* window);
// Makes every item of `menu` owner-drawn, records its text, and (for a popup) stores the packed
// size of each item.
void SkinMenu(QWidget* window, QWidget* menu, bool enabled, bool menuBar);
void AssignCommandImage(std::uint32_t command, const ImageList* images, int index);
bool MenuIsSkinned(const QWidget* menu);
// The code that executes the item whose mnemonic is `ch` ((2 << 16) | position), 0 for none.
std::uint32_t FindMnemonicItem(QWidget* menu, QChar ch, unsigned flags);
inline constexpr unsigned kMenuFlagPopup = 0x10;
inline constexpr unsigned kMenuFlagSysMenu = 0x2000;

// Item sizes packed into an item's data: caption width in bits 16-31, accelerator width in bits
// 8-15 (the low 8 bits of it), item height in bits 0-7. A separator holds only its height; a
// menu-bar item only its caption width.
std::uint32_t PackPopupItemSize(int captionWidth, int acceleratorWidth, int height);
// The item data the skin stored in `item`, 0 when none.
std::uint32_t SkinItemData(const QAction* item);

enum class RecordType { Menu, Other };

struct MeasureItemRecord {
    RecordType type = RecordType::Menu;
    std::uint32_t itemId = 0;
    std::uint32_t itemData = 0;
    int width = 0;
    int height = 0;
};
MeasureItemRecord MeasureSkinnedItem(MeasureItemRecord record);

// Item states of a drawing request.
enum DrawItemState : unsigned {
    kDrawSelected = 0x1,
    kDrawDisabled = 0x4,
    kDrawHotLight = 0x40,
    kDrawInactive = 0x80,
    kDrawNoAccelerator = 0x100,
};

struct DrawItemRecord {
    RecordType type = RecordType::Menu;
    QWidget* menu = nullptr;
    QAction* item = nullptr;
    unsigned state = 0;
    std::uint32_t itemData = 0;
    QRect rect;
    QPainter* painter = nullptr;
    int bitsPerPixel = 32;
};
// Draws the item; false (and nothing drawn) for a record that is not a menu item's.
bool DrawSkinnedItem(const DrawItemRecord& record, QWidget* window);
bool DrawSkinnedItem(const DrawItemRecord& record, const MenuSkinSettings& settings);

// Forgets every table entry (tests).
void ClearMenuSkinTables();

}  // namespace dbx
