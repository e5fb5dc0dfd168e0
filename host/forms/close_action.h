#pragma once

namespace host {

// What closing a form does, decided by its FormClose handler.
enum class CloseAction {
    None, // the form stays open
    Hide, // the form is hidden and can be shown again
    Free, // the form (and its MDI sub-window) is destroyed once control
          // returns to the event loop, so callers still on the stack (a
          // creator after exec()) may touch it until then
};

} // namespace host
