// Watches a FIFO for a reader: whenever something has it open for reading, the watch opens the
// writing end once, which also lets a blocked open return, so the test finishes and can fail
// instead of hanging.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

class FifoWatch {
 public:
  explicit FifoWatch(std::filesystem::path fifo) : fifo_(std::move(fifo)), thread_([this] { Watch(); }) {}
  ~FifoWatch() { Stop(); }
  FifoWatch(const FifoWatch &) = delete;
  FifoWatch &operator=(const FifoWatch &) = delete;

  // Ends the watch; true when a reader was seen.
  bool Stop() {
    if (thread_.joinable()) {
      done_ = true;
      thread_.join();
    }
    return readerSeen_;
  }

 private:
  void Watch() {
    while (!done_) {
      // Without a reader this open fails at once (ENXIO); with one, even one still waiting in
      // its open, it succeeds.
      int fd = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        readerSeen_ = true;
        ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::filesystem::path fifo_;
  std::atomic<bool> done_{false};
  std::atomic<bool> readerSeen_{false};
  std::thread thread_;
};
