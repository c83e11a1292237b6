// The settings dialog's zoom animation between the point (ZoomX, ZoomY) and a form's window.
#pragma once

namespace forms {
class Form;
}

namespace Zentrova_B {

// From the point (ZoomX, ZoomY) to the form's rectangle on the screen. Nothing for a null or
// unloaded form.
void ZoomOpen(const forms::Form* form);
// From the form's rectangle back to the point.
void ZoomClose(const forms::Form* form);

}  // namespace Zentrova_B
