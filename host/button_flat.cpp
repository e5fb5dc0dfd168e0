#include "host/button_flat.h"

#include "host/accessible_button.h"
#include "platform/abort.h"

#include <QAccessible>
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
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(accessibleFlatButton);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setIconSize(QSize(16, 16));
    connect(this, &QToolButton::clicked, this, [this] { handleClick(); });
}

void TButtonFlat::setGlyph(Glyph glyph)
{
    m_enabledGlyph = glyphIcon(glyph, true);
    m_disabledGlyph = glyphIcon(glyph, false);
    updateIcon();
}

void TButtonFlat::setGlyph(const QPixmap &enabled, const QPixmap &disabled)
{
    const QPixmap grey = disabled.isNull() ? greyed(enabled) : disabled;
    m_enabledGlyph = QIcon();
    m_disabledGlyph = QIcon();
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
        m_enabledGlyph.addPixmap(enabled, mode);
        m_disabledGlyph.addPixmap(grey, mode);
    }
    updateIcon();
}

QPixmap TButtonFlat::currentGlyph(qreal devicePixelRatio) const
{
    return (isEnabled() ? m_enabledGlyph : m_disabledGlyph).pixmap(iconSize(), devicePixelRatio);
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
    // Each icon shows its state's own picture in every mode, so the style
    // cannot substitute its generated disabled look for ours.
    setIcon(isEnabled() ? m_enabledGlyph : m_disabledGlyph);
}

} // namespace host
