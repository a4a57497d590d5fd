#pragma once

#include <string_view>
#include <vector>

namespace dbx {

// The window classes a dialog template can name.
enum class ControlClass {
    Static,        // text label
    StaticBitmap,  // picture from an image resource (`resource`)
    GroupBox,      // frame with a title
    Edit,          // single-line text field
    PushButton,    // command button
    ListView,      // report list
    ProgressBar,   // 0 to 100
    Custom,        // made by the dialog itself (e.g. a hosted browser)
};

// One control of a dialog template, rectangle in dialog units. Texts are Windows-1252.
struct ControlTemplate {
    int id = 0;
    ControlClass cls = ControlClass::Static;
    std::string_view text;
    int x = 0, y = 0, cx = 0, cy = 0;
    bool visible = true;
    int resource = 0;  // image id of a StaticBitmap
};

struct DialogTemplate {
    int id = 0;
    std::string_view caption;
    int cx = 0, cy = 0;  // client size in dialog units
    std::string_view fontFace;
    int fontPoints = 8;
    int menu = 0;                           // menu resource id, 0 for none
    std::vector<ControlTemplate> controls;  // creation order: later ones are drawn over earlier

    const ControlTemplate* Find(int controlId) const;
};

// One item of a menu template: a pop-up holds items, an item carries a command id.
struct MenuItemTemplate {
    std::string_view text;  // "&" marks the mnemonic
    int command = 0;        // 0 for a pop-up or a separator
    std::vector<MenuItemTemplate> items;
    bool separator = false;
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuItemTemplate> popups;
};

}  // namespace dbx
