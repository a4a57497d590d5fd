#pragma once

#include <QString>

#include "color_ref.h"

class QSettings;

namespace dbx {

// How skinned menus look, from the application profile (sections "MenuSkin" and
// "MenuSkinEx"). Colours are resolved: -1 in the profile stands for a shade of the button face.
struct MenuSkinSettings {
    bool showGradient = true;
    bool showGradientSel = true;
    ColorRef gradientStart = 0xE4C4B4;
    ColorRef gradientEnd = 0xFFFFFF;
    int gradientWidth = 30;
};

// Reads the five values from `profile`, each with its default when absent.
MenuSkinSettings LoadMenuSkinSettings(QSettings& profile);

// The application profile: an INI file in the user's configuration folder.
QString MenuSkinProfilePath();

// Read from the profile on first use, then kept for the life of the process.
const MenuSkinSettings& CurrentMenuSkinSettings();

}  // namespace dbx
