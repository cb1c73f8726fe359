// The order in which Tab moves the keyboard focus through a window's controls: the window's own
// controls by their tab index, where the tab panel stands for the controls of its pages, each
// page's by their tab index. Equal indices keep the creation order.
#pragma once

#include "runtime/core/window.h"

namespace rt {

// The control after `from` (before it, going backwards) among those that can have the focus now:
// shown, enabled and taking the focus. From a control outside that order, or none, the first (the
// last). Nothing when no control can have the focus.
Control *NextInFocusOrder(const Window &window, const Control *from, bool backwards);

}  // namespace rt
