#include "menu_skin_settings.h"

#include <QSettings>
#include <QStandardPaths>

#include "shade_color.h"
#include "system_colors.h"

namespace dbx {
namespace {

int ReadInt(QSettings& profile, const char* section, const char* key, int fallback) {
    const QVariant value =
        profile.value(QStringLiteral("%1/%2").arg(QLatin1String(section), QLatin1String(key)));
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok, 0);
    return ok ? number : fallback;
}

}  // namespace

MenuSkinSettings LoadMenuSkinSettings(QSettings& profile) {
    MenuSkinSettings s;
    s.showGradient = ReadInt(profile, "MenuSkin", "ShowGradient", 1) != 0;
    s.showGradientSel = ReadInt(profile, "MenuSkinEx", "ShowGradientSel", 1) != 0;
    const ColorRef face = GetSysColor(kColorBtnFace);
    const int start = ReadInt(profile, "MenuSkin", "GradientStart", 0xE4C4B4);
    s.gradientStart = start == -1 ? ShadeColor(face, 20, 0) : ColorRef(start) & 0xFFFFFF;
    const int end = ReadInt(profile, "MenuSkin", "GradientEnd", 0xFFFFFF);
    s.gradientEnd = end == -1 ? ShadeColor(face, 75, 0) : ColorRef(end) & 0xFFFFFF;
    s.gradientWidth = ReadInt(profile, "MenuSkin", "GradientWidth", 30);
    return s;
}

QString MenuSkinProfilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/dbxrecover/dbxrecover.ini");
}

const MenuSkinSettings& CurrentMenuSkinSettings() {
    static const MenuSkinSettings settings = [] {
        QSettings profile(MenuSkinProfilePath(), QSettings::IniFormat);
        return LoadMenuSkinSettings(profile);
    }();
    return settings;
}

}  // namespace dbx
