#pragma once

#include <QIcon>
#include <QPixmap>

namespace host {

// The toolbar and lookup glyphs: scalable pictures (SVG, in the host's
// resources under :/host/glyphs), drawn for a 16 × 16 button and sharp at
// any screen scale.
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

// The glyph as an icon drawn from its SVG at whatever size and pixel ratio
// it is asked for; the disabled one is drawn in grey. The icon shows that
// picture in every mode, so a style cannot put its own disabled look on it.
QIcon glyphIcon(Glyph glyph, bool enabled);

// The glyph at 16 × 16 device-independent pixels on a screen of this pixel
// ratio (a 32 × 32 picture at 200 %).
QPixmap glyphPixmap(Glyph glyph, bool enabled, qreal devicePixelRatio = 1.0);

// The glyph's resource, e.g. ":/host/glyphs/filter.svg"; empty for None.
QString glyphResource(Glyph glyph);

} // namespace host
