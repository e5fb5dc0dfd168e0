#pragma once

#include <QFont>

namespace host {

// The forms' designed font, "MS Sans Serif" at 11 pixels, asked for first;
// where it is missing, a narrow sans of the same pixel height keeps
// captions and values within the designed widths (a regular-width sans
// overflows them).
QFont designFont(bool bold = false);

} // namespace host
