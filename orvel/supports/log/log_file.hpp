#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "orvel/contracts/log/log_level.hpp"
#include "orvel/supports/log/log_flusher.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Log {

// One open log file and the lines waiting to be written to it. A line is
// appended to memory; the file sees it when the flusher's interval has passed,
// at once for RISKY lines and when the waiting lines reach `kMaxPending`, and
// on `close` and destruction. Each write hands the file whole lines in the
// order they were added.
//
// Not thread-safe: the handler that owns it guards it with its own lock.
class LogFile {
 public:
  // One write per this much text at most while lines keep coming.
  static constexpr std::size_t kMaxPending = 64 * 1024;

  LogFile() = default;
  // Writes what is waiting and closes the file; errors have nowhere to go.
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  bool is_open() const noexcept { return m_fd >= 0; }
  int descriptor() const noexcept { return m_fd; }
  const std::string& path() const noexcept { return m_path; }

  // Takes over the open descriptor `fd` for `path`; the file must be closed.
  void attach(int fd, std::string path);
  // Where a handler renders its lines; call `settle` after adding one.
  std::string& pending() noexcept { return m_pending; }

  // After a line of `level` was added to `pending()`: writes at once when it
  // must (a RISKY line, a full buffer, an owner that is not held by a shared
  // pointer, a process that is exiting); otherwise makes sure the flusher
  // writes `sink` within its interval. `owner` is the object `sink` is part of.
  // 0 or the errno of a failed write.
  int settle(Contracts::Log::LogLevel level, BufferedSink& sink, const Core::Object& owner);
  // Writes the waiting lines for the flusher (which no longer holds the sink).
  int flush();
  // Writes the waiting lines now. Lines that cannot be written are dropped, so
  // a broken file does not hold memory. 0 or errno.
  int write_pending();
  // Writes the waiting lines and closes the file. 0 or the first errno.
  int close();

 private:
  std::string m_pending;
  std::string m_path;
  int m_fd = -1;
  // The flusher holds this file's sink in its list.
  bool m_scheduled = false;
};

}  // namespace Tolvane::Orvel::Supports::Log
