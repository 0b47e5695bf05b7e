#pragma once

#include <chrono>
#include <memory>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Supports::Log {

// Something that holds log lines not yet written: the file handlers.
class ORVEL_API BufferedSink {
 public:
  virtual ~BufferedSink();

  // Writes every waiting line now. Takes the sink's own lock and reports a
  // failure the way the sink reports its write errors.
  virtual void flush_pending() = 0;

 protected:
  BufferedSink() = default;
};

// The process's one flusher of buffered log files. A sink whose buffer turns
// non-empty asks to be written; a thread, started on the first such request,
// writes every waiting sink one interval later. Lines so reach the disk within
// the interval whether or not the host runs a main loop, and a crash loses at
// most that moment of lines.
//
// At process exit (`atexit`) every waiting sink is written and the thread is
// stopped; from then on `schedule` refuses, so sinks write each later line at
// once (lines logged by static destructors are kept too).
//
// Thread rules: every operation may be called from any thread. Lock order: a
// sink's own lock, then the flusher's; the flusher never holds its lock while it
// writes a sink, so a sink may log (and so reach the flusher) while it reports.
class ORVEL_API LogFlusher {
 public:
  // How long a line may wait in memory. Short enough that a line is on disk by
  // the time a person looks, long enough that a burst of lines is one write.
  static constexpr std::chrono::milliseconds kInterval{200};

  LogFlusher() = delete;

  // Asks for `sink` to be written within the interval (starting the thread if
  // it is not running yet). False when the flusher cannot take it, because the
  // process is exiting or no thread could be started: the caller then writes
  // at once.
  static bool schedule(std::weak_ptr<BufferedSink> sink);
  // Writes every waiting sink on the calling thread.
  static void flush_all();
  // Whether the flusher's thread was started; it is started by the first
  // buffered line, never before.
  static bool is_started();
};

}  // namespace Tolvane::Orvel::Supports::Log
