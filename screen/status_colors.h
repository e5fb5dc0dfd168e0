#pragma once

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace Cli_ate25400 {

// The fixed colours of the status display.
namespace StatusColor {
inline const QColor Blue{0, 0, 255};
inline const QColor Green{0, 128, 0};
inline const QColor Red{255, 0, 0};
inline const QColor Aqua{0, 255, 255};
inline const QColor Maroon{128, 0, 0};
} // namespace StatusColor

// The system colours, taken from the desktop palette of the widget:
//   info background  -> QPalette::ToolTipBase (tooltip background)
//   highlight        -> QPalette::Highlight (selected items)
//   caption text     -> QPalette::HighlightedText of the active group: the
//                       text drawn on an active title or selection, which
//                       keeps the selected cell readable on the highlight
//                       whatever the desktop theme.
QColor infoBackground(const QWidget *widget);
QColor highlight(const QWidget *widget);
QColor captionText(const QWidget *widget);
QColor buttonFace(const QWidget *widget);

// Font colour of a flight-plan row by its situation code; none for an
// empty, out-of-range or non-integer code (the grid's colour stays).
std::optional<QColor> planoVooColor(const QString &situation);

// Font colour of a service row: cancelled first, then an invoice entry
// (NRLANCTONF) marks the row as cancelled with charge, then pending and
// attended; none otherwise.
std::optional<QColor> servPlanoColor(const QString &situation, const QString &invoiceEntry);

} // namespace Cli_ate25400
