// The runtime's lifetime, event loop and global services.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/core/backend.h"
#include "runtime/core/string.h"

namespace rt {

class Application;

void RuntimeInit(Backend &backend);
// Raises the application's Open and NewDocument events, then runs the loop until Quit.
void RuntimeRun();
// Releases the runtime's windows and application; returns the process's exit status.
int RuntimeExit();
void RuntimeRegisterAppObject(std::shared_ptr<Application> app);
std::shared_ptr<Application> RuntimeAppObject();

Backend &CurrentBackend();
bool RuntimeRunning();

// Ends the event loop; the status becomes RuntimeExit's result.
void Quit(int status = 0);
bool QuitRequested();

// Queues an event for the loop. Events run one at a time, in order.
void Post(std::function<void()> event);
// Runs queued events until none is left. Backends call it from their loop.
void RunPendingEvents();
bool HasPendingEvents();

// Runs an event handler, sending an escaping exception to the unhandled-exception handling:
// a message, then the loop ends with status 1.
void RunHandler(const std::function<void()> &handler);

// A cooperative yield point: nearly free, never runs a handler.
extern uint32_t yieldTicks;
void YieldSlow();
inline void YieldPoint() {
  if (++yieldTicks >= 4096) YieldSlow();
}

void MsgBox(const String &text);
void ShowURL(const String &url);

}  // namespace rt
