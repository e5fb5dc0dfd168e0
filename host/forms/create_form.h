#pragma once

#include <utility>

namespace host {

// Makes a form in two steps, so that its virtual FormCreate reaches the
// derived class, as it would not from a base constructor:
//   1. the constructors build the components: the base form's first, then
//      the derived form's own and its changes to inherited ones (caption,
//      bounds, help, disabled or moved items);
//   2. the form joins the application object: an MDI child in
//      host::mdiArea(), or a window owned by host::mainWindow(); a form
//      made without a main window (tests) belongs to the caller;
//   3. FormCreate(form) runs.
// When a constructor or FormCreate fails, the half-made form is destroyed
// and the failure reaches the caller, who decides what to do with it: an
// exported creator runs this inside platform::guarded, a test may expect it.
template<typename Form, typename... Args> Form *createForm(Args &&...args)
{
    Form *form = new Form(std::forward<Args>(args)...);
    try {
        form->attachToHost();
        form->FormCreate(form);
    } catch (...) {
        form->discardForm();
        throw;
    }
    return form;
}

} // namespace host
