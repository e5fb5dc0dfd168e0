#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

namespace platform {

// The silent abort: ends the running operation quietly. Deliberately not a
// std::exception, so that no catch (const std::exception &) can swallow it.
struct Abort
{
};

[[noreturn]] void abortSilently();

// A failure with a message for the user, shown by the host's error display
// when it reaches the event loop.
class Error : public std::exception
{
public:
    explicit Error(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// How failures that reach the event loop are shown. The host installs its
// error display; until then they go to qCritical.
using ErrorDisplay = std::function<void(const QString &message)>;
void setErrorDisplay(ErrorDisplay display);
void showError(const QString &message);

// Runs a handler at an entry from Qt into the module's code (slot, event
// override, timer, exported entry point). Never lets an exception out:
// an abort ends quietly, anything else is shown through the error display.
// Returns false when the handler did not complete.
bool guarded(const std::function<void()> &handler) noexcept;

// Shows a failure from the event loop later, through guarded(). For code
// that runs while Qt paints or asks a model for data, where a modal box
// would re-enter the painting. Further failures are dropped while one is
// waiting or being shown, so a failing painter cannot flood the screen.
void showLater(std::exception_ptr failure) noexcept;

// guarded() for painting and model queries: the same catch, shown later.
template<typename Handler> bool guardedInPaint(Handler &&handler) noexcept
{
    try {
        handler();
        return true;
    } catch (...) {
        showLater(std::current_exception());
    }
    return false;
}

} // namespace platform
