#include "screen/tests/paint_recorder.h"

#include <QPainterPath>
#include <QTextItem>
#include <QWidget>

namespace screen::testing {

class PaintRecorder::Engine : public QPaintEngine
{
public:
    explicit Engine(QList<Step> &steps)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_steps(steps)
    {
    }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }

    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        m_steps.append({Step::Text, item.text(), m_transform.map(p), m_pen.color(), {}});
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF mapped = m_transform.mapRect(rects[i]);
            m_steps.append({Step::Fill, {}, mapped.topLeft(), m_brush.color(), mapped});
        }
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }
    void drawPath(const QPainterPath &path) override { other(path.boundingRect()); }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        other(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            other(QRectF(lines[i].p1(), lines[i].p2()).normalized());
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { other(r); }
    void drawImage(const QRectF &r, const QImage &, const QRectF &,
                   Qt::ImageConversionFlags) override
    {
        other(r);
    }

private:
    void other(const QRectF &bounds)
    {
        const QRectF mapped = m_transform.mapRect(bounds);
        m_steps.append({Step::Other, {}, mapped.topLeft(), m_pen.color(), mapped});
    }

    QList<Step> &m_steps;
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
};

class PaintRecorder::Device : public QPaintDevice
{
public:
    Device(QList<Step> &steps, QSize size)
        : m_engine(steps)
        , m_size(size)
    {
    }
    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&m_engine); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    Engine m_engine;
    QSize m_size;
};

PaintRecorder::PaintRecorder(QWidget *widget)
    : m_device(std::make_unique<Device>(m_steps, widget->size()))
{
    widget->render(m_device.get());
}

PaintRecorder::~PaintRecorder() = default;

QList<PaintRecorder::Step> PaintRecorder::stepsIn(const QRect &rect) const
{
    QList<Step> inside;
    for (const Step &step : m_steps) {
        if (rect.contains(step.position.toPoint()))
            inside.append(step);
    }
    return inside;
}

std::optional<PaintRecorder::Step> PaintRecorder::lastTextIn(const QRect &rect) const
{
    std::optional<Step> last;
    for (const Step &step : m_steps) {
        if (step.kind == Step::Text && rect.contains(step.position.toPoint()))
            last = step;
    }
    return last;
}

} // namespace screen::testing
