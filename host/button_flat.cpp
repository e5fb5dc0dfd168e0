#include "button_flat.h"

#include "abort.h"

#include <QEvent>
#include <QImage>

namespace host {
namespace {

QPixmap greyed(const QPixmap &source)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 96 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

TButtonFlat::TButtonFlat(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(16, 16));
    connect(this, &QToolButton::clicked, this, [this] { handleClick(); });
}

void TButtonFlat::setGlyph(Glyph glyph)
{
    setGlyph(glyphPixmap(glyph, true), glyphPixmap(glyph, false));
}

void TButtonFlat::setGlyph(const QPixmap &enabled, const QPixmap &disabled)
{
    m_enabledGlyph = enabled;
    m_disabledGlyph = disabled.isNull() ? greyed(enabled) : disabled;
    updateIcon();
}

QPixmap TButtonFlat::currentGlyph() const
{
    return isEnabled() ? m_enabledGlyph : m_disabledGlyph;
}

void TButtonFlat::changeEvent(QEvent *event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateIcon();
}

void TButtonFlat::handleClick()
{
    runOnClick();
}

void TButtonFlat::runOnClick()
{
    if (m_onClick)
        platform::guarded([this] { m_onClick(this); });
}

void TButtonFlat::updateIcon()
{
    // Both modes get the state's own picture, so the style cannot substitute
    // its generated disabled look for ours.
    QIcon icon;
    const QPixmap &picture = currentGlyph();
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(picture, QIcon::Disabled);
    icon.addPixmap(picture, QIcon::Active);
    setIcon(icon);
}

} // namespace host
