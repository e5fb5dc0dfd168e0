#pragma once

#include <QPixmap>

namespace host {

// The toolbar and lookup glyphs, drawn in code so that no image files ship.
enum class Glyph {
    None,
    Confirm,
    Cancel,
    Insert,
    Edit,
    Delete,
    Search,
    Sort,
    Help,
    Print,
    Close,
    Filter,
    Verify,
    SaveOptions,
    LoadOptions,
};

// A 16 × 16 glyph; the disabled one is drawn in grey.
QPixmap glyphPixmap(Glyph glyph, bool enabled);

} // namespace host
