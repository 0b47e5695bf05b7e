#pragma once

#include <atomic>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>

#include "orvel/contracts/log/log_handler.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Log {

using Contracts::Log::IFormatter;
using Contracts::Log::LogLevel;

// What the handlers of this library share: the properties "formatter" (a
// SimpleFormatter until replaced) and "threshold" (PLAIN until raised), and the
// expansion of a line. Each handler guards its own state with its own lock, the
// innermost one of the logging locks.
class ORVEL_API LogHandler : public Core::Object, public Contracts::Log::ILogHandler {
  TOLVANE_OBJECT(LogHandler)

  ~LogHandler() override;

  std::shared_ptr<IFormatter> get_formatter() const override;
  void set_formatter(std::shared_ptr<IFormatter> formatter) override;
  LogLevel get_threshold() const override { return m_threshold.load(std::memory_order_relaxed); }
  void set_threshold(LogLevel threshold) override;

  // Whether a line of `level` passes the threshold.
  bool accepts(LogLevel level) const noexcept { return static_cast<int>(level) <= static_cast<int>(get_threshold()); }

  // printf into a string. Only for formats that are either the caller's own
  // (checked where the caller wrote them) or a formatter's line around it.
  static std::string expand(const char* format, va_list args);
  // The same, appended to `out` without a string of its own.
  static void append_expanded(std::string& out, const char* format, va_list args);

 protected:
  // Reports PLAIN as its accepted level, so the facade may drop what no
  // handler of this library would write without taking a lock.
  LogHandler();

  // Appends the line for the caller's format and arguments, through the
  // formatter, to `out`. The caller holds `m_mutex`.
  void render_locked(std::string& out, LogLevel level, std::string_view server, std::string_view name,
                     const char* format, va_list args) const;
  // The most verbose level this handler may write; the threshold unless a
  // handler ignores it.
  virtual LogLevel accepted_level() const { return get_threshold(); }

  mutable std::mutex m_mutex;

 private:
  std::shared_ptr<IFormatter> m_formatter;
  std::atomic<LogLevel> m_threshold{LogLevel::PLAIN};
};

}  // namespace Tolvane::Orvel::Supports::Log
