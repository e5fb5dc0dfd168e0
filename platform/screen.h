#pragma once

#include <QSize>

namespace platform {

// The screen cursor by the form library's numbers: 0 the default cursor,
// -11 the hourglass. Any other value shows the arrow. Held as an override
// cursor, so it shows over every window until set back to 0.
namespace ScreenCursor {
constexpr int Default = 0;
constexpr int HourGlass = -11;
} // namespace ScreenCursor

void setScreenCursor(int cursor);
int screenCursor();

// Shows the normal cursor for a scope (a message box over a busy operation)
// and puts the screen cursor back after it.
class ScreenCursorPause
{
public:
    ScreenCursorPause();
    ~ScreenCursorPause();
    ScreenCursorPause(const ScreenCursorPause &) = delete;
    ScreenCursorPause &operator=(const ScreenCursorPause &) = delete;

private:
    int m_cursor;
};

// The hourglass for a scope (a creator's work), and the default cursor
// again on every way out, a failed creation included.
class BusyScreenCursor
{
public:
    BusyScreenCursor() { setScreenCursor(ScreenCursor::HourGlass); }
    ~BusyScreenCursor() { setScreenCursor(ScreenCursor::Default); }
    BusyScreenCursor(const BusyScreenCursor &) = delete;
    BusyScreenCursor &operator=(const BusyScreenCursor &) = delete;
};

// The size of the screen the forms are shown on, or the size set with
// setScreenSizeOverride(); an invalid size removes the override.
QSize screenSize();
void setScreenSizeOverride(const QSize &size);

} // namespace platform
