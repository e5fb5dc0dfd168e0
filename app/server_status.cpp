#include "app/server_status.h"

#include "host/net/net_connection.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

namespace app {
namespace {

QLabel *addLabel(QStatusBar *bar, const char *name, int stretch)
{
    auto *label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    bar->addWidget(label, stretch);
    return label;
}

// The form's refresh period: its shortest running timer; 0 when none runs.
int refreshPeriodMs(const QWidget *form)
{
    int period = 0;
    if (!form)
        return 0;
    for (const QTimer *timer : form->findChildren<QTimer *>()) {
        if (timer->isActive() && timer->interval() > 0
            && (period == 0 || timer->interval() < period))
            period = timer->interval();
    }
    return period;
}

QString timeOf(const QDateTime &when)
{
    return when.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

ServerStatus::ServerStatus(QStatusBar *bar, QMdiArea *area)
    : QObject(bar)
    , m_area(area)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    m_branch = addLabel(bar, "lblStatusFilial", 0);
    m_server = addLabel(bar, "lblStatusServidor", 0);
    m_reading = addLabel(bar, "lblStatusLeitura", 1);
    m_feed = addLabel(bar, "lblStatusAlteracoes", 0);
    connect(area, &QMdiArea::subWindowActivated, this, &ServerStatus::follow);
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &ServerStatus::refresh);
    m_tick.start();
    refresh();
}

void ServerStatus::setBranch(const QString &code, const QString &name)
{
    m_branch->setText(
        code.isEmpty()
            ? QString()
            : tr("Filial %1").arg(name.isEmpty() ? code : code + QStringLiteral(" ") + name));
}

// A null window (the area passes one between windows) keeps the last
// screen followed while it exists.
void ServerStatus::follow(QMdiSubWindow *window)
{
    if (!window)
        return;
    m_form = window->widget();
    disconnect(m_callFinished);
    disconnect(m_feedChanged);
    m_connection = m_form ? m_form->findChild<host::TNetConnection *>() : nullptr;
    if (m_connection) {
        m_callFinished = connect(m_connection, &host::TNetConnection::callFinished, this,
                                 &ServerStatus::refresh);
        m_feedChanged =
            connect(m_connection, &host::TNetConnection::feedChanged, this, &ServerStatus::refresh);
    }
    refresh();
}

void ServerStatus::refresh()
{
    if (!m_connection) {
        m_server->clear();
        m_reading->clear();
        m_feed->clear();
        return;
    }
    const int period = refreshPeriodMs(m_form);
    const host::FeedStatus feed = m_connection->feedStatus();
    const QDateTime since = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(feed.since.time_since_epoch())
            .count());
    switch (feed.state) {
    case host::FeedStatus::State::Live:
        m_feed->setText(tr("Alterações ao vivo desde %1.").arg(timeOf(since)));
        break;
    case host::FeedStatus::State::Waiting:
        m_feed->setText(
            tr("Alterações do servidor interrompidas desde %1: atualização a cada %2 s.")
                .arg(timeOf(since))
                .arg(period / 1000));
        break;
    case host::FeedStatus::State::Off:
        m_feed->setText(period > 0 ? tr("Atualização a cada %1 s.").arg(period / 1000) : QString());
        break;
    }
    const host::CallHealth &health = m_connection->health();
    m_server->setText(tr("Servidor %1").arg(m_connection->serverAddress()));
    if (health.lastCall.isNull()) {
        m_reading->setText(tr("Nenhuma leitura ainda."));
        return;
    }
    QString text;
    if (health.lastCallOk) {
        text = tr("Última leitura às %1: ok.").arg(timeOf(health.lastSuccess));
    } else {
        text = tr("Servidor sem resposta desde %1: %2")
                   .arg(timeOf(health.failingSince), health.lastFailure);
        if (!health.lastSuccess.isNull())
            text += tr(" Última leitura com sucesso às %1.").arg(timeOf(health.lastSuccess));
    }
    if (period > 0
        && (health.lastSuccess.isNull() || health.lastSuccess.msecsTo(m_clock()) > 2LL * period))
        text += tr(" Posição desatualizada.");
    m_reading->setText(text);
}

} // namespace app
