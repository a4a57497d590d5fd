#pragma once

#include <string>
#include <string_view>

#include "style_state.h"

namespace dbx::markup {

// Applied to each text run before it is measured. Capitalising lowers the run, then raises
// each letter a-z at its start or after a space.
std::string TransformText(std::string_view run, TextTransform transform);

}  // namespace dbx::markup
