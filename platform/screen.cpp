#include "platform/screen.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

namespace platform {
namespace {

struct ScreenState
{
    int cursor = ScreenCursor::Default;
    bool overridden = false;
    QSize sizeOverride;
};

ScreenState &state()
{
    static ScreenState screen;
    return screen;
}

Qt::CursorShape shapeOf(int cursor)
{
    switch (cursor) {
    case ScreenCursor::HourGlass:
        return Qt::WaitCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

void setScreenCursor(int cursor)
{
    ScreenState &screen = state();
    screen.cursor = cursor;
    if (cursor == ScreenCursor::Default) {
        if (screen.overridden)
            QApplication::restoreOverrideCursor();
        screen.overridden = false;
        return;
    }
    if (screen.overridden) {
        QApplication::changeOverrideCursor(QCursor(shapeOf(cursor)));
    } else {
        QApplication::setOverrideCursor(QCursor(shapeOf(cursor)));
        screen.overridden = true;
    }
}

int screenCursor()
{
    return state().cursor;
}

ScreenCursorPause::ScreenCursorPause()
    : m_cursor(screenCursor())
{
    if (m_cursor != ScreenCursor::Default)
        setScreenCursor(ScreenCursor::Default);
}

ScreenCursorPause::~ScreenCursorPause()
{
    if (m_cursor != ScreenCursor::Default)
        setScreenCursor(m_cursor);
}

QSize screenSize()
{
    if (state().sizeOverride.isValid())
        return state().sizeOverride;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

void setScreenSizeOverride(const QSize &size)
{
    state().sizeOverride = size;
}

} // namespace platform
