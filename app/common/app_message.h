#pragma once

#include <string>

#include "common/app_texts.h"
#include "markup_message_box.h"

namespace dbx {

// The application's message style: the box's defaults with a light yellow and white bump
// ("vbump") behind the whole box, no separator caption, centred.
MessageBoxOptions AppMessageStyle();

// A notice in the application's message style: information icon, OK. Texts are markup in
// Windows-1252; `moreText`, when given, goes behind the More button. No owner window.
void Notify(const std::string& text, const char* caption = texts::kCaption,
            const std::string& moreText = {});

// A question in the application's message style: question icon, Yes and No. Returns the id
// of the button that answered it (kIdYes, kIdNo).
int Ask(const std::string& text, const char* caption = texts::kCaption);

// A warning that asks before something risky is done: exclamation icon, Yes and No, with No
// the default, so that Enter does nothing risky.
int AskWarning(const std::string& text, const char* caption = texts::kCaption);

}  // namespace dbx
