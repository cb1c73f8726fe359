#include "app/windows/about_window.h"

#include "runtime/core/application.h"
#include "runtime/core/runtime.h"

namespace tovra {

namespace {
std::shared_ptr<rt::StaticText> Label(std::shared_ptr<rt::StaticText> label, int left, int top,
                                      int width, int height, const char *text, int size) {
  label->SetBounds(left, top, width, height);
  label->TextSize = size;
  label->TextAlign = 1;
  label->SetText(text);
  return label;
}
}  // namespace

void AboutWindow::Layout() {
  Title = "About Tovra!";
  FrameKind = kDocument;
  SetSize(300, 179);
}

void AboutWindow::CreateControls() {
  StaticText1 = Label(AddControl<rt::StaticText>("StaticText1"), 27, 25, 259, 28, "Tovra!", 14);
  StaticText2 = Label(AddControl<rt::StaticText>("StaticText2"), 106, 59, 100, 20, "Version 5.0", 10);
  StaticText3 = Label(AddControl<rt::StaticText>("StaticText3"), 27, 82, 258, 20,
                      "Copyright 2026 the Tovra developers", 10);
  StaticText4 = Label(AddControl<rt::StaticText>("StaticText4"), 27, 105, 258, 20, kMakerWebAddress, 10);
  StaticText4->MouseDown = [this](int x, int y) { return StaticText4_MouseDown(x, y); };

  DoneButton = AddControl<rt::PushButton>("DoneButton");
  DoneButton->SetBounds(115, 139, 80, 20);
  DoneButton->Caption = "Done";
  DoneButton->Default = true;
  DoneButton->Cancel = true;
  DoneButton->Action = [this] { DoneButton_Action(); };
}

void AboutWindow::AddMenuHandlers() {
  menuHandlers.Bind("FileClose", [this] { return _FileClose_Action(); });
}

bool AboutWindow::StaticText4_MouseDown(int x, int y) {
  (void)x;
  (void)y;
  rt::ShowURL(rt::String("http://") + rt::String(kMakerWebAddress));
  return false;
}

void AboutWindow::DoneButton_Action() { Close(); }

bool AboutWindow::_FileClose_Action() {
  Close();
  return true;
}

void AboutWindow::Event_EnableMenuItems() {
  auto app = rt::RuntimeAppObject();
  if (!app || !app->MenuBar) return;
  if (auto close = app->MenuBar->Find("FileClose")) close->Enabled = true;
}

}  // namespace tovra
