// The About box: name, version, copyright and the maker's web address, which opens on a click.
#pragma once

#include <memory>

#include "runtime/core/controls.h"
#include "runtime/core/window.h"

namespace tovra {

inline constexpr const char *kMakerWebAddress = "tovra.example.org";

class AboutWindow : public rt::Window {
 public:
  std::shared_ptr<rt::StaticText> StaticText1, StaticText2, StaticText3, StaticText4;
  std::shared_ptr<rt::PushButton> DoneButton;

  bool StaticText4_MouseDown(int x, int y);
  void DoneButton_Action();
  bool _FileClose_Action();
  void Event_EnableMenuItems() override;

 protected:
  void Layout() override;
  void CreateControls() override;
  void AddMenuHandlers() override;
};

}  // namespace tovra
