// The order in which Tab moves the keyboard focus through a window's controls: the window's own
// controls by their tab index, where the tab panel stands for its tab strip followed by the
// controls of its pages, each page's by their tab index. Equal indices keep the creation order.
#pragma once

#include "runtime/core/window.h"

namespace rt {

// The control after `from` (before it, going backwards) among those that can have the focus now:
// shown, enabled and taking the focus. From a control outside that order, or none, the first (the
// last). Nothing when no control can have the focus.
Control *NextInFocusOrder(const Window &window, const Control *from, bool backwards);

// The tab panel that the keyboard focus is in: its focused tab strip, or the panel whose page the
// focused control lies on. Nothing when the focus is elsewhere.
TabPanel *PanelWithFocus(const Window &window);

}  // namespace rt
