#include "orvel/supports/log/glib_log_handler.hpp"

#include <glib.h>

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& GLibLogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogGLibLogHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<GLibLogHandler>(), {});
  return info;
}

GLibLogHandler::GLibLogHandler() { set_accepted_level(LogLevel::DEBUG); }

void GLibLogHandler::publish(LogLevel level, std::string_view, std::string_view, const char* format, va_list args) {
  if (format == nullptr) {
    return;
  }
  std::string message = expand(format, args);
  switch (level) {
    case LogLevel::RISKY:
      g_warning("handler_console:23: %s", message.c_str());
      break;
    case LogLevel::PLAIN:
      g_message("handler_console:26: %s", message.c_str());
      break;
    case LogLevel::DEBUG:
      g_debug("handler_console:29: %s", message.c_str());
      break;
  }
}

std::string GLibLogHandler::recent(int) { return {}; }

void GLibLogHandler::close() {}

}  // namespace Tolvane::Orvel::Supports::Log
