#include "runtime/gtk/core_gate.h"

#include "runtime/core/runtime.h"

namespace rt::gtk {

bool CoreGate::RunNow(const std::function<void()> &call) {
  if (depth_ > 0 || HasPendingEvents()) return false;
  Enter(call);
  return true;
}

void CoreGate::RunQueued() {
  if (depth_ == 0) Enter([] { RunPendingEvents(); });
}

void CoreGate::Enter(const std::function<void()> &call) {
  struct Depth {
    int &depth;
    explicit Depth(int &d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  };
  {
    Depth inside(depth_);
    RunHandler(call);
  }
  afterCalls_();
}

void CoreGate::Run(std::function<void()> call) {
  if (!RunNow(call)) Post(std::move(call));
}

CoreGate::ModalLoop::ModalLoop(CoreGate &gate) : gate_(gate), savedDepth_(gate.depth_) {
  gate_.depth_ = 0;
  // The modal window is up now: it takes the focus, and what was queued meanwhile runs.
  gate_.afterCalls_();
}

CoreGate::ModalLoop::~ModalLoop() { gate_.depth_ = savedDepth_; }

}  // namespace rt::gtk
