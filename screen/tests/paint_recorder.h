#pragma once

#include <QColor>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QTransform>

#include <memory>

class QWidget;

namespace screen::testing {

// What a widget paints, as a person would read it: each text with where it
// starts (its baseline, in the widget's coordinates) and its colour, and
// every other drawing step by kind, in painting order.
class PaintRecorder
{
public:
    struct Step
    {
        enum Kind { Text, Fill, Other };
        Kind kind;
        QString text;     // Text only
        QPointF position; // Text: start of the baseline; otherwise the step's top left
        QColor color;     // Text: pen; Fill: brush
        QRectF bounds;
    };

    // Renders the widget (with its children) through the recorder.
    explicit PaintRecorder(QWidget *widget);
    ~PaintRecorder();

    const QList<Step> &steps() const { return m_steps; }
    // The steps whose position lies inside the rectangle, in painting order.
    QList<Step> stepsIn(const QRect &rect) const;
    // The last text drawn inside the rectangle; a cell painted over shows that one.
    std::optional<Step> lastTextIn(const QRect &rect) const;

private:
    class Engine;
    class Device;
    QList<Step> m_steps;
    std::unique_ptr<Device> m_device;
};

} // namespace screen::testing
