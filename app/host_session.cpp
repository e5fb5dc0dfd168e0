#include "app/host_session.h"

#include "app/main_window.h"
#include "app/report_pdf_job.h"
#include "app/screenshot_job.h"
#include "app/unattended_dialogs.h"
#include "host/application.h"
#include "host/dialogs.h"
#include "host/forms/form_layout_memory.h"
#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "host/report/report_designer.h"
#include "platform/abort.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>

namespace app {

HostSession::HostSession(HostOptions options)
    : m_options(std::move(options))
{
}

HostSession::~HostSession()
{
    stop();
}

namespace {

// Beside the executable's folder: <prefix>/lib/ate25400/plugins when
// installed (<prefix>/bin/ate-host), else `buildTreeName` (build/bin →
// build/plugins).
QString besideExecutable(const char *installedName, const QString &buildTreeName)
{
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString installed =
        QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../") + QLatin1String(installedName)));
    return QDir(installed).exists() ? installed
                                    : QDir::cleanPath(bin.absoluteFilePath(buildTreeName));
}

} // namespace

QString HostSession::defaultPluginDir()
{
    return besideExecutable(ATE_INSTALL_PLUGINDIR, QStringLiteral("../plugins"));
}

void HostSession::start()
{
    host::Context &context = host::context();
    applyHostOptions(m_options, context);
    host::TNetConnection::setDefaultOptions(connectionOptions(context));

    // The user's screen layouts, kept between runs.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!config.isEmpty() && QDir().mkpath(config))
        host::setLayoutSettingsFile(QDir(config).filePath(QStringLiteral("layout.ini")));

    // The report files: "relatorios" beside the executable in the build
    // tree, the shared data folder in an installed one.
    if (!QDir(host::defaultReportFolder()).exists())
        host::setDefaultReportFolder(
            besideExecutable(ATE_INSTALL_REPORTDIR, QStringLiteral("relatorios")));

    m_mainWindow = std::make_unique<MainWindow>();
    // The packages find their owner here, so it is set before any loads.
    host::setMainWindow(m_mainWindow.get());
    // Size limits settled before the window exists: some platforms refuse
    // limits that change once it is on screen.
    if (QLayout *layout = m_mainWindow->layout())
        layout->activate();
    m_mainWindow->show();
    // Screens are activated only inside an active main window, and a bare
    // X server (no window manager) activates nothing by itself.
    m_mainWindow->activateWindow();

    // A branch name missing from the database is no reason not to start:
    // the screen checks the branch itself.
    platform::guarded([&context] { completeBranchName(context); });
    m_mainWindow->setBranch(context.branchCode(), context.branchName());

    const QString folder = m_options.pluginDir.isEmpty() ? defaultPluginDir() : m_options.pluginDir;
    for (const QString &failure : m_packages.loadFolder(folder))
        host::dialogs().error(failure);
    for (const auto &package : m_packages.packages()) {
        const AteEntryProc open = package->iniProc;
        m_mainWindow->addScreen(package->screenCode, package->caption, [open] { open(); });
    }
}

LoadedPackage &HostSession::openScreen(const QString &screenCode)
{
    LoadedPackage *package = m_packages.findScreen(screenCode);
    if (!package)
        throw platform::Error(
            QCoreApplication::translate("HostSession", "Tela não encontrada: %1.").arg(screenCode));
    package->iniProc();
    if (m_options.maximizeScreen) {
        // The screen just opened is the newest sub-window.
        const QList<QMdiSubWindow *> windows =
            m_mainWindow->mdiArea()->subWindowList(QMdiArea::CreationOrder);
        if (!windows.isEmpty())
            windows.last()->showMaximized();
    }
    return *package;
}

void HostSession::stop()
{
    m_packages.unloadAll();
    if (host::mainWindow() == m_mainWindow.get())
        host::setMainWindow(nullptr);
    m_mainWindow.reset();
}

namespace {

// The dialog service for the run, the real one back on every way out.
class DialogsScope
{
public:
    explicit DialogsScope(host::Dialogs *service) { host::setDialogs(service); }
    ~DialogsScope() { host::setDialogs(nullptr); }
    DialogsScope(const DialogsScope &) = delete;
    DialogsScope &operator=(const DialogsScope &) = delete;
};

int runSession(QApplication &application, const HostOptions &options,
               const UnattendedDialogs *unattended)
{
    HostSession session(options);
    if (!platform::guarded([&] { session.start(); }))
        return 1;
    LoadedPackage *opened = nullptr;
    if (!options.openScreen.isEmpty()
        && !platform::guarded([&] { opened = &session.openScreen(options.openScreen); })
        && unattended)
        return 1;
    if (!unattended)
        return application.exec();

    ScreenshotJob::Probe probe;
    probe.ready = [opened] { return opened && opened->mainScreenReady(); };
    probe.failure = [unattended] {
        return unattended->errors().isEmpty() ? QString() : unattended->errors().first();
    };
    if (!options.reportPdfFile.isEmpty()) {
        ReportPdfJob report(session.mainWindow()->mdiArea(), options.reportPdfFile, probe,
                            options.screenshotTimeoutMs);
        QObject::connect(&report, &ReportPdfJob::finished, &application,
                         [](int code) { QCoreApplication::exit(code); });
        report.start();
        return application.exec();
    }
    probe.prepare = [area = session.mainWindow()->mdiArea()] { browseFirstGrid(area); };
    ScreenshotJob screenshot(session.mainWindow(), options.screenshotFile, probe,
                             options.screenshotTimeoutMs);
    QObject::connect(&screenshot, &ScreenshotJob::finished, &application,
                     [](int code) { QCoreApplication::exit(code); });
    screenshot.start();
    return application.exec();
}

} // namespace

int runHost(QApplication &application, const HostOptions &options)
{
    // Nobody answers a message box in a run that only takes a picture or
    // prints a report.
    UnattendedDialogs unattended;
    const bool unattendedRun =
        !options.screenshotFile.isEmpty() || !options.reportPdfFile.isEmpty();
    const DialogsScope dialogs(unattendedRun ? &unattended : nullptr);
    return runSession(application, options, unattendedRun ? &unattended : nullptr);
}

} // namespace app
