#pragma once

#include "app/host_options.h"
#include "app/package_loader.h"

#include <memory>

class QApplication;

namespace app {

class MainWindow;

// One run of the host: the context filled from the options, the main window
// registered as the application object, the packages of the plug-in folder
// loaded and listed in the menu, and the screen asked for opened.
class HostSession
{
public:
    explicit HostSession(HostOptions options);
    ~HostSession(); // stop()

    // Throws platform::Error when the options cannot be applied or the
    // plug-in folder does not exist; packages that fail to load are
    // reported through the dialog service and skipped.
    void start();

    // Opens a package's main screen by its code (ATE25400), maximised in
    // the MDI area when the options say --maximize-screen. Throws
    // platform::Error when no loaded package has that screen.
    LoadedPackage &openScreen(const QString &screenCode);

    // Finalizes and unloads the packages (their forms go with them), then
    // drops the main window.
    void stop();

    MainWindow *mainWindow() const { return m_mainWindow.get(); }
    PackageLoader &packages() { return m_packages; }
    const HostOptions &options() const { return m_options; }

    // "plugins" beside the executable's folder (build/bin → build/plugins).
    static QString defaultPluginDir();

private:
    HostOptions m_options;
    std::unique_ptr<MainWindow> m_mainWindow;
    PackageLoader m_packages;
};

// The whole application once its command line is read: runs a session and,
// with --screenshot or --report-pdf, the unattended job. Returns the
// process's exit code.
int runHost(QApplication &application, const HostOptions &options);

} // namespace app
