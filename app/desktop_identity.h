#pragma once

namespace app {

// The product's face on the desktop: its icon on every window (from the
// desktop's theme where the package installed it, else the one built in)
// and the desktop file that ties the windows to the menu entry.
void applyDesktopIdentity();

} // namespace app
