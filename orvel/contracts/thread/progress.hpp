#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::Thread {

// The state of a long transform job, shared between the job (on its worker
// thread) and the host that polls it from another thread.
//
// Every field is behind the record's own mutex: a job and a poller never touch
// a field unlocked, so reading while the job writes is not a data race. The
// job's step reports go through `report_success` / `report_failure`, which
// change the counters and queue the line in one locked step, so a poller
// never sees a count without its line.
class ORVEL_API Progress {
 public:
  struct Snapshot {
    int64_t processed = 0;
    int64_t aux_count = 0;
    int64_t failed = 0;
    std::chrono::microseconds elapsed{0};
    bool finished = false;
  };

  Progress() = default;
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // A line as jobs queue it: the local time with milliseconds, a blank, text.
  static std::string stamped(std::string_view text);

  // One step ended. `text` empty queues nothing; otherwise the stamped line.
  // `elapsed` is the time from the job's start.
  void report_success(std::chrono::microseconds elapsed, std::string_view text = {});
  // One step failed: counts it as processed and failed and queues `line` as
  // given (the failure lines carry their own time stamp and layout).
  void report_failure(std::chrono::microseconds elapsed, std::string line);
  // Queues a line without counting a step.
  void queue(std::string line);

  // Sets counters back to zero (the queue is left as it is: the host may not
  // have read it yet).
  void reset_counters();
  void set_aux_count(int64_t value);
  void add_aux_count(int64_t delta);
  void set_finished(bool value);

  Snapshot snapshot() const;
  int64_t processed() const;
  int64_t failed() const;
  int64_t aux_count() const;
  bool finished() const;
  std::chrono::microseconds elapsed() const;

  // Takes every queued line off the queue, oldest first.
  std::vector<std::string> take_messages();
  // The queued lines without taking them (tests, late readers).
  std::vector<std::string> messages() const;

 private:
  mutable std::recursive_mutex mutex_;
  int64_t processed_ = 0;
  int64_t aux_count_ = 0;
  int64_t failed_ = 0;
  std::chrono::microseconds elapsed_{0};
  std::deque<std::string> messages_;
  bool finished_ = false;
};

using ProgressPtr = std::shared_ptr<Progress>;

}  // namespace Tolvane::Orvel::Contracts::Thread
