// Every call from a GTK callback into the runtime core passes this gate, so handlers run one at a
// time: a nested loop that GTK runs inside a handler (a message box, a clipboard read) never lets
// a second handler into the core. Only a modal window's own loop opens the gate again.
#pragma once

#include <functional>

namespace rt::gtk {

class CoreGate {
 public:
  // `afterCalls` runs each time the outermost call has returned.
  explicit CoreGate(std::function<void()> afterCalls) : afterCalls_(std::move(afterCalls)) {}

  // Runs `call` and returns true when no other call is running and no core event waits (a call
  // never overtakes what was queued before it); false, and nothing runs, otherwise.
  bool RunNow(const std::function<void()> &call);
  // Runs `call` now when it may, else queues it as a core event to run after the others.
  void Run(std::function<void()> call);
  // Runs the queued core events, unless a call is running: its end asks for them again.
  void RunQueued();
  bool Busy() const { return depth_ > 0; }

  // For the life of a modal window's nested loop, the gate takes calls again.
  class ModalLoop {
   public:
    explicit ModalLoop(CoreGate &gate);
    ~ModalLoop();
    ModalLoop(const ModalLoop &) = delete;
    ModalLoop &operator=(const ModalLoop &) = delete;

   private:
    CoreGate &gate_;
    int savedDepth_;
  };

 private:
  void Enter(const std::function<void()> &call);

  int depth_ = 0;
  std::function<void()> afterCalls_;
};

}  // namespace rt::gtk
