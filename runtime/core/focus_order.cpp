#include "runtime/core/focus_order.h"

#include <algorithm>
#include <vector>

namespace rt {
namespace {

std::vector<Control *> ByTabIndex(const Window &window, int panelIndex) {
  std::vector<Control *> controls;
  for (const auto &c : window.Controls()) {
    if (c->PanelIndex == panelIndex) controls.push_back(c.get());
  }
  std::stable_sort(controls.begin(), controls.end(),
                   [](const Control *a, const Control *b) { return a->TabIndex < b->TabIndex; });
  return controls;
}

std::vector<Control *> FocusOrder(const Window &window) {
  std::vector<Control *> order;
  for (Control *c : ByTabIndex(window, 0)) {
    if (c->ControlKind() != Control::Kind::kTabPanel) {
      order.push_back(c);
      continue;
    }
    const auto &panel = static_cast<const TabPanel &>(*c);
    order.push_back(c);
    for (int page = 1; page <= static_cast<int>(panel.Tabs.size()); ++page) {
      for (Control *onPage : ByTabIndex(window, page)) order.push_back(onPage);
    }
  }
  std::erase_if(order, [&window](const Control *c) {
    return !c->TakesFocus() || !c->Enabled() || !window.Shows(*c);
  });
  return order;
}

}  // namespace

Control *NextInFocusOrder(const Window &window, const Control *from, bool backwards) {
  std::vector<Control *> order = FocusOrder(window);
  if (order.empty()) return nullptr;
  if (backwards) std::reverse(order.begin(), order.end());
  auto at = std::find(order.begin(), order.end(), from);
  if (at == order.end() || ++at == order.end()) return order.front();
  return *at;
}

TabPanel *PanelWithFocus(const Window &window) {
  Control *focused = window.FocusedControl();
  if (!focused) return nullptr;
  for (const auto &c : window.Controls()) {
    if (c->ControlKind() != Control::Kind::kTabPanel) continue;
    if (c.get() == focused || focused->PanelIndex > 0) return static_cast<TabPanel *>(c.get());
  }
  return nullptr;
}

}  // namespace rt
