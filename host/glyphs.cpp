#include "host/glyphs.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <memory>

namespace host {
namespace {

constexpr int Size = 16;

const char *resourceName(Glyph glyph)
{
    switch (glyph) {
    case Glyph::None:
        return nullptr;
    case Glyph::Confirm:
        return "confirm";
    case Glyph::Cancel:
        return "cancel";
    case Glyph::Insert:
        return "insert";
    case Glyph::Edit:
        return "edit";
    case Glyph::Delete:
        return "delete";
    case Glyph::Search:
        return "search";
    case Glyph::Sort:
        return "sort";
    case Glyph::Help:
        return "help";
    case Glyph::Print:
        return "print";
    case Glyph::Close:
        return "close";
    case Glyph::Filter:
        return "filter";
    case Glyph::Verify:
        return "verify";
    case Glyph::SaveOptions:
        return "save-options";
    case Glyph::LoadOptions:
        return "load-options";
    }
    return nullptr;
}

QByteArray svgOf(Glyph glyph, bool enabled)
{
    QFile file(glyphResource(glyph));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    // Disabled: every ink in one grey, as the disabled speed buttons were.
    if (!enabled)
        svg = QString::fromUtf8(svg)
                  .replace(QRegularExpression(QStringLiteral("#[0-9a-fA-F]{6}")),
                           QStringLiteral("#969696"))
                  .toUtf8();
    return svg;
}

// Draws the SVG at the pixel size asked for, so a 200 % screen gets a
// 32 × 32 drawing, not a 16 × 16 one blown up. The same picture in every
// mode and state.
class GlyphIconEngine final : public QIconEngine
{
public:
    explicit GlyphIconEngine(QByteArray svg)
        : m_svg(std::move(svg))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        QSvgRenderer renderer(m_svg);
        renderer.render(painter, rect);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        if (size.isEmpty())
            return {};
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        if (!m_svg.isEmpty()) {
            QPainter painter(&image);
            QSvgRenderer renderer(m_svg);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        return QPixmap::fromImage(std::move(image));
    }

    QIconEngine *clone() const override { return new GlyphIconEngine(m_svg); }
    QString key() const override { return QStringLiteral("ate-svg-glyph"); }
    bool isNull() override { return m_svg.isEmpty(); }

private:
    QByteArray m_svg;
};

} // namespace

QString glyphResource(Glyph glyph)
{
    const char *name = resourceName(glyph);
    return name ? QStringLiteral(":/host/glyphs/%1.svg").arg(QLatin1String(name)) : QString();
}

QIcon glyphIcon(Glyph glyph, bool enabled)
{
    return QIcon(new GlyphIconEngine(svgOf(glyph, enabled)));
}

QPixmap glyphPixmap(Glyph glyph, bool enabled, qreal devicePixelRatio)
{
    QPixmap pixmap = glyphIcon(glyph, enabled).pixmap(QSize(Size, Size), devicePixelRatio);
    if (pixmap.isNull()) {
        // None: an empty picture of the button's size.
        pixmap = QPixmap(QSize(Size, Size) * devicePixelRatio);
        pixmap.fill(Qt::transparent);
        pixmap.setDevicePixelRatio(devicePixelRatio);
    }
    return pixmap;
}

} // namespace host
