#pragma once

// printf-style calls of the va_list slots, as the logging facade makes them.

#include <cstdarg>
#include <string>

#include <glib.h>

#include "orvel/contracts/log/logger.hpp"
#include "orvel/supports/log/log_handler.hpp"

namespace Tolvane::Testing {

using Orvel::Contracts::Log::ILogger;
using Orvel::Contracts::Log::ILogHandler;
using Orvel::Contracts::Log::LogLevel;

inline void publish(ILogHandler& handler, LogLevel level, const char* server, const char* name, const char* format,
                    ...) G_GNUC_PRINTF(5, 6);
inline void publish(ILogHandler& handler, LogLevel level, const char* server, const char* name, const char* format,
                    ...) {
  va_list args;
  va_start(args, format);
  handler.publish(level, server, name, format, args);
  va_end(args);
}

enum class Call { Error, Critical, Warning, Message, Info, Debug };

inline void log(ILogger& logger, Call call, const char* server, const char* name, const char* format, ...)
    G_GNUC_PRINTF(5, 6);
inline void log(ILogger& logger, Call call, const char* server, const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  switch (call) {
    case Call::Error:
      logger.error(server, name, format, args);
      break;
    case Call::Critical:
      logger.critical(server, name, format, args);
      break;
    case Call::Warning:
      logger.warning(server, name, format, args);
      break;
    case Call::Message:
      logger.message(server, name, format, args);
      break;
    case Call::Info:
      logger.info(server, name, format, args);
      break;
    case Call::Debug:
      logger.debug(server, name, format, args);
      break;
  }
  va_end(args);
}

// A formatter's line with the caller's arguments substituted.
inline std::string line_of(const char* line_format, ...) {
  va_list args;
  va_start(args, line_format);
  std::string text = Orvel::Supports::Log::LogHandler::expand(line_format, args);
  va_end(args);
  return text;
}

}  // namespace Tolvane::Testing
