#include "screen/status_colors.h"

#include "host/functions.h"

#include <QPalette>
#include <QWidget>

namespace Cli_ate25400 {

QColor infoBackground(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, QPalette::ToolTipBase);
}

QColor highlight(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, QPalette::Highlight);
}

QColor captionText(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, QPalette::HighlightedText);
}

QColor buttonFace(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, QPalette::Button);
}

std::optional<QColor> planoVooColor(const QString &situation)
{
    if (situation.isEmpty())
        return std::nullopt;
    // A code that is no integer cannot be mapped; it must not stop painting.
    bool isNumber = false;
    const int code = situation.trimmed().toInt(&isNumber);
    if (!isNumber)
        return std::nullopt;
    switch (code) {
    case 1:
        return StatusColor::Blue;
    case 2:
        return StatusColor::Green;
    case 3:
        return StatusColor::Red;
    case 4:
        return StatusColor::Aqua;
    case 5:
        return StatusColor::Maroon;
    default:
        return std::nullopt;
    }
}

std::optional<QColor> servPlanoColor(const QString &situation, const QString &invoiceEntry)
{
    if (situation == QLatin1String("3"))
        return StatusColor::Red;
    if (!host::EmptyString(invoiceEntry))
        return StatusColor::Maroon;
    if (situation == QLatin1String("1"))
        return StatusColor::Blue;
    if (situation == QLatin1String("2"))
        return StatusColor::Green;
    return std::nullopt;
}

} // namespace Cli_ate25400
