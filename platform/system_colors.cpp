#include "system_colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <mutex>

namespace dbx {
namespace {

struct PaletteRole {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr PaletteRole kPaletteRoles[] = {
    {kColorMenu, QPalette::Active, QPalette::Window},
    {kColorWindow, QPalette::Active, QPalette::Base},
    {kColorMenuText, QPalette::Active, QPalette::WindowText},
    {kColorWindowText, QPalette::Active, QPalette::Text},
    {kColorActiveBorder, QPalette::Active, QPalette::Window},
    {kColorInactiveBorder, QPalette::Inactive, QPalette::Window},
    {kColorHighlight, QPalette::Active, QPalette::Highlight},
    {kColorHighlightText, QPalette::Active, QPalette::HighlightedText},
    {kColorBtnFace, QPalette::Active, QPalette::Button},
    {kColorBtnShadow, QPalette::Active, QPalette::Dark},
    {kColorGrayText, QPalette::Disabled, QPalette::Text},
    {kColorBtnText, QPalette::Active, QPalette::ButtonText},
    {kColorBtnHighlight, QPalette::Active, QPalette::Light},
    {kColor3dDkShadow, QPalette::Active, QPalette::Shadow},
    {kColor3dLight, QPalette::Active, QPalette::Midlight},
    {kColorInfoText, QPalette::Active, QPalette::ToolTipText},
    {kColorInfoBk, QPalette::Active, QPalette::ToolTipBase},
    {kColorHotLight, QPalette::Active, QPalette::Link},
    {kColorMenuHilight, QPalette::Active, QPalette::Highlight},
    {kColorMenuBar, QPalette::Active, QPalette::Window},
};

std::mutex g_mutex;
bool g_fromPalette = false;
SystemColors g_current = SystemColors::Classic();

bool HaveGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Called with the mutex held.
void SampleLocked() {
    g_fromPalette = HaveGuiApplication();
    g_current = g_fromPalette ? SystemColors::FromPalette(QGuiApplication::palette())
                              : SystemColors::Classic();
}

}  // namespace

SystemColors SystemColors::Classic() {
    SystemColors t;
    t.Set(kColorScrollBar, MakeColorRef(212, 208, 200));
    t.Set(kColorBackground, MakeColorRef(58, 110, 165));
    t.Set(kColorActiveCaption, MakeColorRef(10, 36, 106));
    t.Set(kColorInactiveCaption, MakeColorRef(128, 128, 128));
    t.Set(kColorMenu, MakeColorRef(212, 208, 200));
    t.Set(kColorWindow, MakeColorRef(255, 255, 255));
    t.Set(kColorWindowFrame, MakeColorRef(0, 0, 0));
    t.Set(kColorMenuText, MakeColorRef(0, 0, 0));
    t.Set(kColorWindowText, MakeColorRef(0, 0, 0));
    t.Set(kColorCaptionText, MakeColorRef(255, 255, 255));
    t.Set(kColorActiveBorder, MakeColorRef(212, 208, 200));
    t.Set(kColorInactiveBorder, MakeColorRef(212, 208, 200));
    t.Set(kColorAppWorkspace, MakeColorRef(128, 128, 128));
    t.Set(kColorHighlight, MakeColorRef(10, 36, 106));
    t.Set(kColorHighlightText, MakeColorRef(255, 255, 255));
    t.Set(kColorBtnFace, MakeColorRef(212, 208, 200));
    t.Set(kColorBtnShadow, MakeColorRef(128, 128, 128));
    t.Set(kColorGrayText, MakeColorRef(128, 128, 128));
    t.Set(kColorBtnText, MakeColorRef(0, 0, 0));
    t.Set(kColorInactiveCaptionText, MakeColorRef(212, 208, 200));
    t.Set(kColorBtnHighlight, MakeColorRef(255, 255, 255));
    t.Set(kColor3dDkShadow, MakeColorRef(64, 64, 64));
    t.Set(kColor3dLight, MakeColorRef(212, 208, 200));
    t.Set(kColorInfoText, MakeColorRef(0, 0, 0));
    t.Set(kColorInfoBk, MakeColorRef(255, 255, 225));
    t.Set(kColorHotLight, MakeColorRef(0, 0, 128));
    t.Set(kColorGradientActiveCaption, MakeColorRef(166, 202, 240));
    t.Set(kColorGradientInactiveCaption, MakeColorRef(192, 192, 192));
    t.Set(kColorMenuHilight, MakeColorRef(10, 36, 106));
    t.Set(kColorMenuBar, MakeColorRef(212, 208, 200));
    return t;
}

SystemColors SystemColors::FromPalette(const QPalette& palette) {
    SystemColors t = Classic();
    for (const PaletteRole& r : kPaletteRoles) {
        t.Set(r.index, FromQColor(palette.color(r.group, r.role)));
    }
    return t;
}

ColorRef SystemColors::Get(int index) const {
    return index >= 0 && index < kSysColorCount ? colors_[std::size_t(index)] : 0;
}

void SystemColors::Set(int index, ColorRef color) {
    if (index >= 0 && index < kSysColorCount) colors_[std::size_t(index)] = color & 0xFFFFFF;
}

SystemColors CurrentSystemColors() {
    std::lock_guard lock(g_mutex);
    // Without a GUI application the classic values stand in until one exists.
    if (!g_fromPalette) SampleLocked();
    return g_current;
}

ColorRef GetSysColor(int index) {
    return CurrentSystemColors().Get(index);
}

void RefreshSystemColors() {
    std::lock_guard lock(g_mutex);
    SampleLocked();
}

}  // namespace dbx
