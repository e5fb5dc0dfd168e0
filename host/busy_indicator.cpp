#include "host/busy_indicator.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace host {
namespace {

// A spinning ring of dots; it turns whenever the event loop gets a chance.
class Spinner : public QWidget
{
public:
    explicit Spinner(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(24, 24);
        m_timer.setInterval(80);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            m_step = (m_step + 1) % 12;
            update();
        });
    }

    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(width() / 2.0, height() / 2.0);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 12; ++i) {
            QColor dot = palette().color(QPalette::Highlight);
            dot.setAlpha(255 - ((i - m_step + 12) % 12) * 18);
            p.setBrush(dot);
            p.drawEllipse(QPointF(0, -8), 2.2, 2.2);
            p.rotate(30);
        }
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

class BusyPanel : public QFrame
{
public:
    explicit BusyPanel(QWidget *owner)
        : QFrame(owner, owner ? Qt::Widget
                              : Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                    | Qt::WindowDoesNotAcceptFocus)
    {
        setObjectName(QStringLiteral("panShowAvi"));
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        m_spinner = new Spinner(this);
        m_label = new QLabel(this);
        m_label->setObjectName(QStringLiteral("lblShowAvi"));
    }

    void showKind(int kind)
    {
        m_kind = kind;
        m_label->setText(busyIndicatorText(kind));
        // Placed by hand, not by a layout: a layout would change the size
        // limits of a top-level panel once it is on screen, which some
        // platforms refuse.
        const QSize text = m_label->sizeHint();
        const int height = qMax(text.height(), m_spinner->height()) + 16;
        m_spinner->move(12, (height - m_spinner->height()) / 2);
        m_label->setGeometry(12 + m_spinner->width() + 8, (height - text.height()) / 2,
                             text.width(), text.height());
        resize(m_label->geometry().right() + 16, height);
        const QWidget *over = parentWidget();
        const QRect area = over ? over->rect()
                                : (QGuiApplication::primaryScreen()
                                       ? QGuiApplication::primaryScreen()->availableGeometry()
                                       : QRect(0, 0, 640, 480));
        move(area.center() - rect().center());
        show();
        // A floating panel stays on top by its window flags; raising a
        // top-level window is not offered by every platform.
        if (parentWidget())
            raise();
        m_spinner->start();
        repaint();
    }

    void hideIt()
    {
        m_spinner->stop();
        hide();
        m_kind = -1;
    }

    // Shown and not hidden since, whether or not its window is on screen yet.
    bool isUp() const { return !isHidden(); }
    int kind() const { return isUp() ? m_kind : -1; }

private:
    Spinner *m_spinner;
    QLabel *m_label;
    int m_kind = -1;
};

QPointer<BusyPanel> &thePanel()
{
    static QPointer<BusyPanel> panel;
    return panel;
}

} // namespace

QString busyIndicatorText(int kind)
{
    switch (kind) {
    case BusyConnecting:
        return QCoreApplication::translate("BusyIndicator", "Conectando ao servidor...");
    case BusySaving:
        return QCoreApplication::translate("BusyIndicator", "Gravando dados...");
    case BusyDeleting:
        return QCoreApplication::translate("BusyIndicator", "Excluindo dados...");
    case BusyProcessing:
        return QCoreApplication::translate("BusyIndicator", "Processando...");
    case BusyPrinting:
        return QCoreApplication::translate("BusyIndicator", "Imprimindo...");
    case BusySending:
        return QCoreApplication::translate("BusyIndicator", "Enviando dados...");
    case BusyReading:
        return QCoreApplication::translate("BusyIndicator", "Lendo dados...");
    default:
        return QCoreApplication::translate("BusyIndicator", "Aguarde...");
    }
}

void ActiveShowAvi(QWidget *mainWindow, int kind)
{
    QPointer<BusyPanel> &panel = thePanel();
    // The panel lives on the window it was made for; another owner gets a
    // fresh one.
    if (panel && panel->parentWidget() != mainWindow) {
        panel->hideIt();
        panel->deleteLater();
        panel = nullptr;
    }
    if (!panel)
        panel = new BusyPanel(mainWindow);
    panel->showKind(kind);
}

void DeactiveShowAvi()
{
    if (BusyPanel *panel = thePanel())
        panel->hideIt();
}

bool busyIndicatorVisible()
{
    const BusyPanel *panel = thePanel();
    return panel && panel->isUp();
}

int busyIndicatorKind()
{
    const BusyPanel *panel = thePanel();
    return panel ? panel->kind() : -1;
}

} // namespace host
