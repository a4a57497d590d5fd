#pragma once

#include <QFont>
#include <QString>

#include "device_context.h"

namespace dbx {

// A separator line along `y` from `left` + 5 to `right` - 5: style 1 etched, 2 black, 3 white,
// anything else none. A caption sits on the line, embossed, at the left (alignment 0), the
// right (1) or the centre (2), with the line stopping 5 pixels short of it.
void DrawSeparator(DeviceContext& dc, const QFont& font, int y, int left, int right, int style,
                   int alignment, const QString& caption);

}  // namespace dbx
