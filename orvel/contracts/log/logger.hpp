#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvel/contracts/log/log_handler.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::Log {

// A named log with a set of handlers. The level operations take the caller's
// printf format and its arguments; `error`, `critical` and `warning` are RISKY
// lines, `message` and `info` PLAIN, `debug` DEBUG.
class ORVEL_API ILogger {
  TOLVANE_INTERFACE(ILogger)

  virtual ~ILogger();

  virtual void initialize(const char* server, const char* name) = 0;
  // Closes every handler, then removes them.
  virtual void close() = 0;
  virtual void append_handler(std::shared_ptr<ILogHandler> handler) = 0;
  virtual void delete_handler(const std::shared_ptr<ILogHandler>& handler) = 0;
  // Removes every handler without closing it.
  virtual void remove_handler_all() = 0;
  virtual std::vector<std::shared_ptr<ILogHandler>> get_handlers() const = 0;
  virtual std::string recent(int lines) = 0;
  virtual void error(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual void critical(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual void warning(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual void message(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual void info(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual void debug(const char* server, const char* name, const char* format, va_list args) = 0;
  virtual std::string get_uuid() const = 0;
  virtual std::string get_name() const = 0;
  virtual std::string get_server() const = 0;
};

// How many slices of the main log are kept unless the host says otherwise.
inline constexpr std::int64_t kDefaultMaxSlices = 20;

// The loggers of a process: the main log and one log per connection uuid.
class ORVEL_API ILogManager {
  TOLVANE_INTERFACE(ILogManager)

  virtual ~ILogManager();

  virtual void initialize(const char* uuid_default, LogLevel threshold, const char* log_file_dir,
                          std::int64_t max_size) = 0;
  // The logger of `uuid`, made on first request.
  virtual std::shared_ptr<ILogger> open(const char* uuid) = 0;
  virtual void close(const char* uuid) = 0;
  virtual void shutdown() = 0;
  virtual std::shared_ptr<ILogger> get_main() const = 0;

  // How many slices of the main log the next `initialize` keeps in the log
  // folder (0 keeps all). Comes after the operations above and does nothing
  // by default, so a manager written against them alone still serves.
  virtual void set_max_slices(std::int64_t count);
};

}  // namespace Tolvane::Orvel::Contracts::Log
