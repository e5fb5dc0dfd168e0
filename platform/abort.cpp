#include "platform/abort.h"

#include "platform/screen.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>

namespace platform {
namespace {

ErrorDisplay &errorDisplay()
{
    static ErrorDisplay display;
    return display;
}

} // namespace

void abortSilently()
{
    throw Abort{};
}

Error::Error(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toStdString())
{
}

void setErrorDisplay(ErrorDisplay display)
{
    errorDisplay() = std::move(display);
}

void showError(const QString &message)
{
    // A box under the hourglass would look busy too.
    const ScreenCursorPause pause;
    if (errorDisplay())
        errorDisplay()(message);
    else
        qCritical().noquote() << message;
}

bool guarded(const std::function<void()> &handler) noexcept
{
    // The display itself may fail (a dialog that throws); never let that out.
    const auto show = [](const QString &message) noexcept {
        try {
            showError(message);
        } catch (...) {
        }
    };
    try {
        handler();
        return true;
    } catch (const Abort &) {
    } catch (const Error &e) {
        show(e.message());
    } catch (const std::exception &e) {
        show(QString::fromUtf8(e.what()));
    } catch (...) {
        show(QCoreApplication::translate("Platform", "Erro inesperado."));
    }
    return false;
}

void showLater(std::exception_ptr failure) noexcept
{
    static bool pending = false;
    if (pending || !failure)
        return;
    const auto show = [failure] {
        guarded([&] { std::rethrow_exception(failure); });
        pending = false;
    };
    try {
        if (QCoreApplication *app = QCoreApplication::instance()) {
            pending = true;
            QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
            return;
        }
    } catch (...) {
        pending = false;
    }
    show();
}

} // namespace platform
