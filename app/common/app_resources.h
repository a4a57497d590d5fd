#pragma once

namespace dbx {

// Puts the main window's strings, icons and pictures into the resource registry, drawn from
// our SVG artwork at the sizes asked for. Safe to call more than once.
void RegisterAppResources();

}  // namespace dbx
