// The runtime's open windows, front first, and which one is active.
#pragma once

#include <memory>
#include <vector>

#include "runtime/core/string.h"

namespace rt {

class Window;

void AddOpenWindow(std::shared_ptr<Window> window);
void RemoveOpenWindow(Window &window);
void BringToFront(Window &window);
const std::vector<std::shared_ptr<Window>> &OpenWindows();
std::shared_ptr<Window> FrontWindow();  // the frontmost visible window
Window *ActiveWindow();
// The frontmost window whose modal loop is running, if any.
std::shared_ptr<Window> FrontModalWindow();

// Makes `window` the active one: the old active window gets Deactivate, then this one Activate.
// Nothing happens when it is already active.
void Activate(Window &window);
// The active window loses activation; the frontmost other visible window, if any, gains it.
void Deactivate(Window &window);
void SetActivated(Window &window, bool activated);

// From the backend: another application came to the front.
void ApplicationDeactivated();
// From the backend: the user brought this window to the front.
void WindowActivatedFromOutside(Window &window);
// From the backend: the user pressed the window's close box.
void WindowCloseBoxPressed(Window &window);

void ForgetAllWindows();

}  // namespace rt
