#include "host/forms/form_layout_memory.h"

#include "platform/db_grid.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QLoggingCategory>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QWidget>

#include <memory>

namespace host {
namespace {

Q_LOGGING_CATEGORY(layoutLog, "ate.host.layout")

QString &fileSetting()
{
    static QString file;
    return file;
}

// The area a window is shown in: its MDI area's viewport, else the screen.
QRect areaOf(const QWidget &window)
{
    if (!window.isWindow() && window.parentWidget())
        return window.parentWidget()->rect();
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect inside(QRect bounds, const QRect &area)
{
    if (!area.isValid())
        return bounds;
    bounds.setWidth(qMin(bounds.width(), area.width()));
    bounds.setHeight(qMin(bounds.height(), area.height()));
    bounds.moveLeft(qBound(area.left(), bounds.left(), area.right() - bounds.width() + 1));
    bounds.moveTop(qBound(area.top(), bounds.top(), area.bottom() - bounds.height() + 1));
    return bounds;
}

bool isNormal(const QWidget &window)
{
    return !(window.windowState()
             & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

// Null when no file is set or the file cannot be read as settings.
std::unique_ptr<QSettings> openSettings()
{
    if (fileSetting().isEmpty())
        return nullptr;
    auto settings = std::make_unique<QSettings>(fileSetting(), QSettings::IniFormat);
    if (settings->status() != QSettings::NoError) {
        qCInfo(layoutLog, "layout file %s is damaged; the designed layouts are used",
               qPrintable(fileSetting()));
        return nullptr;
    }
    return settings;
}

} // namespace

QString layoutSettingsFile()
{
    return fileSetting();
}

void setLayoutSettingsFile(const QString &path)
{
    fileSetting() = path;
}

FormLayoutMemory::Layout FormLayoutMemory::read(const QWidget &form, const QWidget &window)
{
    Layout layout;
    for (const platform::DBGrid *grid : form.findChildren<platform::DBGrid *>()) {
        if (grid->objectName().isEmpty())
            continue;
        QList<int> widths;
        for (int column = 0; column < grid->columnCount(); ++column)
            widths.append(grid->columnWidth(column));
        layout.columns.insert(grid->objectName(), widths);
    }
    for (const QSplitter *splitter : form.findChildren<QSplitter *>()) {
        if (!splitter->objectName().isEmpty())
            layout.splitters.insert(splitter->objectName(), splitter->saveState());
    }
    if (isNormal(window))
        layout.geometry = window.geometry();
    return layout;
}

void FormLayoutMemory::apply(const Layout &layout, QWidget &form, QWidget &window)
{
    for (platform::DBGrid *grid : form.findChildren<platform::DBGrid *>()) {
        const QList<int> widths = layout.columns.value(grid->objectName());
        if (widths.size() != grid->columnCount())
            continue;
        for (int column = 0; column < widths.size(); ++column) {
            if (widths.at(column) > 0)
                grid->setColumnWidth(column, widths.at(column));
        }
    }
    // The window's size first, laid out at once: splitters share out the
    // room they are given, so their positions only hold at their final size.
    if (layout.geometry.isValid() && isNormal(window)) {
        window.setGeometry(inside(layout.geometry, areaOf(window)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (QWidget *widget : {&window, &form}) {
            if (QLayout *own = widget->layout())
                own->activate();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    for (QSplitter *splitter : form.findChildren<QSplitter *>()) {
        const QByteArray state = layout.splitters.value(splitter->objectName());
        if (!state.isEmpty())
            splitter->restoreState(state);
    }
}

void FormLayoutMemory::captureDesigned(const QWidget &form, const QWidget &window)
{
    m_designed = read(form, window);
    m_captured = true;
}

void FormLayoutMemory::restore(QWidget &form, QWidget &window, const QString &code) const
{
    std::unique_ptr<QSettings> settings = openSettings();
    if (!settings || code.isEmpty())
        return;
    settings->beginGroup(code);
    Layout layout;
    settings->beginGroup(QStringLiteral("columns"));
    for (const QString &grid : settings->childKeys()) {
        QList<int> widths;
        for (const QString &width :
             settings->value(grid).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
            widths.append(width.toInt());
        layout.columns.insert(grid, widths);
    }
    settings->endGroup();
    settings->beginGroup(QStringLiteral("splitters"));
    for (const QString &splitter : settings->childKeys())
        layout.splitters.insert(splitter, settings->value(splitter).toByteArray());
    settings->endGroup();
    layout.geometry = settings->value(QStringLiteral("geometry")).toRect();
    apply(layout, form, window);
}

void FormLayoutMemory::save(const QWidget &form, const QWidget &window, const QString &code) const
{
    std::unique_ptr<QSettings> settings = openSettings();
    if (!settings || code.isEmpty())
        return;
    const Layout layout = read(form, window);
    settings->beginGroup(code);
    settings->remove(QStringLiteral("columns"));
    settings->remove(QStringLiteral("splitters"));
    for (auto grid = layout.columns.cbegin(); grid != layout.columns.cend(); ++grid) {
        QStringList widths;
        for (int width : grid.value())
            widths.append(QString::number(width));
        settings->setValue(QStringLiteral("columns/") + grid.key(), widths.join(QLatin1Char(',')));
    }
    for (auto splitter = layout.splitters.cbegin(); splitter != layout.splitters.cend(); ++splitter)
        settings->setValue(QStringLiteral("splitters/") + splitter.key(), splitter.value());
    if (layout.geometry.isValid())
        settings->setValue(QStringLiteral("geometry"), layout.geometry);
    settings->endGroup();
    settings->sync();
    if (settings->status() != QSettings::NoError)
        qCInfo(layoutLog, "the layout of %s could not be written to %s", qPrintable(code),
               qPrintable(fileSetting()));
}

void FormLayoutMemory::restoreDesigned(QWidget &form, QWidget &window, const QString &code) const
{
    if (!m_captured)
        return;
    apply(m_designed, form, window);
    if (std::unique_ptr<QSettings> settings = openSettings(); settings && !code.isEmpty()) {
        settings->remove(code);
        settings->sync();
    }
}

} // namespace host
