#pragma once

#include <atomic>
#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

#include "orvel/contracts/log/formatter.hpp"
#include "orvel/contracts/log/log_level.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::Log {

// A destination of log lines with its own formatter and threshold.
class ORVEL_API ILogHandler {
  TOLVANE_INTERFACE(ILogHandler)

  virtual ~ILogHandler();
  ILogHandler(const ILogHandler&) = delete;
  ILogHandler& operator=(const ILogHandler&) = delete;

  // Writes one line when `level` is within the threshold. `format` and `args`
  // are the caller's; `args` is consumed, so pass a va_copy to each handler.
  virtual void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
                       va_list args) = 0;
  // What the handler has written so far, where it can tell; `lines` is not used
  // by the handlers of this library, which return everything.
  virtual std::string recent(int lines) = 0;
  virtual void close() = 0;
  virtual std::shared_ptr<IFormatter> get_formatter() const = 0;
  virtual void set_formatter(std::shared_ptr<IFormatter> formatter) = 0;
  virtual LogLevel get_threshold() const = 0;
  virtual void set_threshold(LogLevel threshold) = 0;

  // Whether some handler alive in the process may accept a line of `level`.
  // False lets the logging facade drop a line without taking a lock, which keeps
  // filtered lines from worker threads cheap.
  static bool some_handler_accepts(LogLevel level) noexcept;

 protected:
  // A new handler counts as accepting every level until it reports otherwise:
  // a handler written against the seven operations alone, which never reports,
  // receives every line and filters by its own threshold.
  ILogHandler() noexcept;
  // Implementations that want the facade's shortcut report the most verbose
  // level they accept whenever it changes (normally their threshold), so the
  // shortcut never drops a line that some handler would write.
  void set_accepted_level(LogLevel level) noexcept;

 private:
  std::atomic<int> m_accepted;
};

}  // namespace Tolvane::Orvel::Contracts::Log
