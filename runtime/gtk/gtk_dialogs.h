// The framework's modal message box and message dialog as native GTK dialogs.
#pragma once

#include <gtk/gtk.h>

#include "runtime/core/clipboard.h"

namespace rt::gtk {

// `parent` may be null.
void RunMessageBox(GtkWindow *parent, const String &text);
// 0 for the action button, 1 for cancel, 2 for the alternate action.
int RunMessageDialog(GtkWindow *parent, const MessageDialog &dialog);
// The message box or dialog that waits for its answer now, if any.
GtkWindow *WaitingAlert();

}  // namespace rt::gtk
