#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace host {
namespace {

constexpr int Size = 16;

void paintGlyph(QPainter &p, Glyph glyph, bool enabled)
{
    const auto ink = [enabled](QColor colour) {
        return enabled ? colour : QColor(150, 150, 150);
    };
    const auto pen = [&](QColor colour, qreal width = 2.0) {
        p.setPen(QPen(ink(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    };
    const auto fill = [&](QColor colour) {
        p.setPen(QPen(ink(colour.darker(150)), 1.0));
        p.setBrush(ink(colour));
    };

    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Confirm:
        pen(QColor(0, 140, 0), 2.5);
        p.drawPolyline(QPolygonF({{3, 8.5}, {6.5, 12}, {13, 4}}));
        break;
    case Glyph::Cancel:
        pen(QColor(200, 0, 0), 2.5);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Insert:
        pen(QColor(0, 140, 0), 2.5);
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Edit:
        pen(QColor(180, 130, 0), 3.0);
        p.drawLine(QPointF(4, 12), QPointF(12, 4));
        pen(QColor(60, 60, 60), 1.0);
        p.drawLine(QPointF(2.5, 13.5), QPointF(4, 12));
        break;
    case Glyph::Delete:
        pen(QColor(200, 0, 0), 2.5);
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Search:
        pen(QColor(0, 70, 160), 2.0);
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        pen(QColor(90, 60, 20), 2.5);
        p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
        break;
    case Glyph::Sort:
        pen(QColor(0, 70, 160), 1.8);
        p.drawLine(QPointF(5, 3), QPointF(5, 13));
        p.drawPolyline(QPolygonF({{2.5, 5.5}, {5, 3}, {7.5, 5.5}}));
        p.drawLine(QPointF(11, 3), QPointF(11, 13));
        p.drawPolyline(QPolygonF({{8.5, 10.5}, {11, 13}, {13.5, 10.5}}));
        break;
    case Glyph::Help: {
        fill(QColor(30, 90, 200));
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        pen(Qt::white, 1.8);
        QPainterPath hook;
        hook.moveTo(5.8, 6.2);
        hook.cubicTo(5.8, 3.4, 10.4, 3.4, 10.4, 6.0);
        hook.cubicTo(10.4, 7.8, 8, 7.8, 8, 9.6);
        p.drawPath(hook);
        p.drawPoint(QPointF(8, 12));
        break;
    }
    case Glyph::Print:
        fill(QColor(240, 240, 240));
        p.drawRect(QRectF(4.5, 2.5, 7, 5));
        fill(QColor(120, 120, 120));
        p.drawRect(QRectF(1.5, 7.5, 13, 5));
        fill(QColor(255, 255, 255));
        p.drawRect(QRectF(4.5, 10.5, 7, 3));
        break;
    case Glyph::Close:
        fill(QColor(150, 100, 50));
        p.drawRect(QRectF(2.5, 2.5, 7, 11));
        pen(QColor(200, 0, 0), 2.0);
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawPolyline(QPolygonF({{11.5, 5.5}, {14, 8}, {11.5, 10.5}}));
        break;
    case Glyph::Filter:
        fill(QColor(0, 110, 190));
        p.drawPolygon(QPolygonF({{2, 3}, {14, 3}, {9.5, 8.5}, {9.5, 13.5}, {6.5, 12}, {6.5, 8.5}}));
        break;
    case Glyph::Verify: {
        pen(QColor(0, 140, 0), 2.0);
        p.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
        fill(QColor(0, 140, 0));
        p.drawPolygon(QPolygonF({{8, 0.5}, {11.5, 3}, {8, 5.5}}));
        break;
    }
    case Glyph::SaveOptions:
    case Glyph::LoadOptions:
        fill(QColor(40, 60, 140));
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        fill(QColor(235, 235, 235));
        p.drawRect(QRectF(4.5, 2.5, 7, 4));
        if (glyph == Glyph::LoadOptions) {
            pen(QColor(255, 200, 0), 2.0);
            p.drawLine(QPointF(8, 8.5), QPointF(8, 13));
        }
        break;
    }
}

} // namespace

QPixmap glyphPixmap(Glyph glyph, bool enabled)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGlyph(painter, glyph, enabled);
    return pixmap;
}

} // namespace host
