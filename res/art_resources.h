#pragma once

#include <QImage>

namespace dbx {

class ResourceRegistry;

// Resource ids of the pictures drawn for the program.
enum ArtId : int {
    kIdrToolRecoverHover = 131,
    kIdrToolSettingsNormal = 132,
    kIdrToolSettingsHover = 133,
    kIdrToolOpenHover = 134,
    kIdrToolOpenNormal = 135,
    kIdrToolUpdateNormal = 136,
    kIdrToolUpdateHover = 137,
    kIdrToolRecoverNormal = 138,
    kIdrToolSaveNormal = 141,
    kIdrToolSaveHover = 142,
    kIdrHomeLink = 143,
    kIdrBackHover = 148,
    kIdrNextNormal = 149,
    kIdrNextHover = 150,
    kIdrBackNormal = 151,
    kIdrStopHover = 152,
    kIdrStopNormal = 153,
    kIdrMenuHelp = 160,
    kIdrMenuWeb = 161,
    kIdrMenuSettings = 162,
    kIdrMenuOpen = 163,
    kIdrMenuNext = 164,
    kIdrMenuExit = 165,
    kIdrMenuAbout = 166,
    kIdrToolAllNormal = 170,
    kIdrToolAllHover = 171,
    kIdrToolNoneNormal = 172,
    kIdrToolNoneHover = 173,
};

// The background colours of the toolbar bitmaps, which the window makes transparent: the
// hover pictures lie on 0xE7E6BD (in 0x00BBGGRR), the normal ones on black.
constexpr unsigned kHoverBitmapKey = 0xE7E6BD;
constexpr unsigned kNormalBitmapKey = 0x000000;

// Registers every picture by its id: the icons as drawn (with transparency), the bitmaps
// opaque as a bitmap resource is, toolbar bitmaps on their key colour. Pictures are drawn on
// demand at the size asked for, their own size for 0 x 0.
void AddArtResources(ResourceRegistry& registry);

// The rows of the background bitmap that stay at the top and at the bottom when the window is
// taller than the bitmap; what lies between is one colour, repeated.
constexpr int kBackgroundTopBand = 46;
constexpr int kBackgroundBottomBand = 414;

}  // namespace dbx
