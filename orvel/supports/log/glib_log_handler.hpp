#pragma once

#include <memory>

#include "orvel/orvel_api.hpp"
#include "orvel/supports/log/log_handler.hpp"

namespace Tolvane::Orvel::Supports::Log {

class GLibLogHandler;
using GLibLogHandlerPtr = std::shared_ptr<GLibLogHandler>;

// Hands every line to GLib's log, whatever its threshold: RISKY as a warning,
// PLAIN as a message, DEBUG as a debug message. Neither formatter nor
// threshold is applied.
class ORVEL_API GLibLogHandler : public LogHandler {
  TOLVANE_OBJECT(GLibLogHandler)

  GLibLogHandler();
  static GLibLogHandlerPtr create() { return std::make_shared<GLibLogHandler>(); }

  void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
               va_list args) override;
  std::string recent(int lines) override;
  void close() override;

 protected:
  LogLevel accepted_level() const override { return LogLevel::DEBUG; }
};

}  // namespace Tolvane::Orvel::Supports::Log
