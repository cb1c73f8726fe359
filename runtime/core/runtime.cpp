#include "runtime/core/runtime.h"

#include <deque>
#include <exception>

#include "runtime/core/application.h"
#include "runtime/core/window_list.h"

namespace rt {
namespace {

struct RuntimeState {
  Backend *backend = nullptr;
  std::shared_ptr<Application> app;
  std::deque<std::function<void()>> events;
  bool running = false;
  bool quitRequested = false;
  int exitStatus = 0;
};

RuntimeState &State() {
  static RuntimeState state;
  return state;
}

}  // namespace

uint32_t yieldTicks = 0;

void RuntimeInit(Backend &backend) {
  State() = RuntimeState();
  State().backend = &backend;
  State().running = true;
}

void RuntimeRun() {
  Post([] {
    if (auto app = RuntimeAppObject()) app->Event_Open();
  });
  Post([] {
    if (auto app = RuntimeAppObject()) app->Event_NewDocument();
  });
  CurrentBackend().RunLoop([] { return QuitRequested(); });
}

int RuntimeExit() {
  ForgetAllWindows();
  State().events.clear();
  State().app.reset();
  State().running = false;
  State().backend = nullptr;
  return State().exitStatus;
}

void RuntimeRegisterAppObject(std::shared_ptr<Application> app) { State().app = std::move(app); }

std::shared_ptr<Application> RuntimeAppObject() { return State().app; }

Backend &CurrentBackend() {
  if (!State().backend) std::terminate();  // every caller runs after RuntimeInit
  return *State().backend;
}

bool RuntimeRunning() { return State().running; }

void Quit(int status) {
  State().quitRequested = true;
  if (status != 0) State().exitStatus = status;
  if (State().backend) State().backend->Wake();
}

bool QuitRequested() { return State().quitRequested; }

void Post(std::function<void()> event) {
  State().events.push_back(std::move(event));
  if (State().backend) State().backend->Wake();
}

void RunPendingEvents() {
  while (!State().events.empty() && !State().quitRequested) {
    std::function<void()> event = std::move(State().events.front());
    State().events.pop_front();
    RunHandler(event);
  }
}

bool HasPendingEvents() { return !State().events.empty(); }

void RunHandler(const std::function<void()> &handler) {
  try {
    handler();
  } catch (const std::exception &e) {
    MsgBox(String("An exception of class ") + String(e.what()) +
           String(" was not handled. The application must shut down."));
    Quit(1);
  }
}

void YieldSlow() {
  yieldTicks = 0;
  if (State().backend) State().backend->Breathe();
}

void MsgBox(const String &text) { CurrentBackend().ShowMessage(text); }

void ShowURL(const String &url) { CurrentBackend().OpenURL(url); }

}  // namespace rt
