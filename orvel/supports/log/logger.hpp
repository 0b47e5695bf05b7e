#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "orvel/contracts/log/logger.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Log {

using Contracts::Log::ILogHandler;
using Contracts::Log::LogLevel;

class Logger;
using LoggerPtr = std::shared_ptr<Logger>;

// A log keyed by a uuid, with the server and name its lines carry and an
// ordered set of handlers. A recursive lock guards the handlers while a line is
// published, so a handler's callback may log again on the same thread.
class ORVEL_API Logger : public Core::Object, public Contracts::Log::ILogger {
  TOLVANE_OBJECT(Logger)

  Logger() = default;
  explicit Logger(std::string uuid) : m_uuid(std::move(uuid)) {}
  static LoggerPtr create(std::string uuid) { return std::make_shared<Logger>(std::move(uuid)); }

  void initialize(const char* server, const char* name) override;
  void close() override;
  // Appends a handler once; a handler already present is not added again.
  void append_handler(std::shared_ptr<ILogHandler> handler) override;
  void delete_handler(const std::shared_ptr<ILogHandler>& handler) override;
  void remove_handler_all() override;
  std::vector<std::shared_ptr<ILogHandler>> get_handlers() const override;
  // The recent text of the first temporary-file handler; "" without one.
  std::string recent(int lines) override;
  void error(const char* server, const char* name, const char* format, va_list args) override;
  void critical(const char* server, const char* name, const char* format, va_list args) override;
  void warning(const char* server, const char* name, const char* format, va_list args) override;
  void message(const char* server, const char* name, const char* format, va_list args) override;
  void info(const char* server, const char* name, const char* format, va_list args) override;
  void debug(const char* server, const char* name, const char* format, va_list args) override;
  std::string get_uuid() const override { return m_uuid; }
  std::string get_name() const override;
  std::string get_server() const override;

 private:
  void publish(LogLevel level, const char* server, const char* name, const char* format, va_list args);

  const std::string m_uuid;
  std::string m_name;
  std::string m_server;
  std::vector<std::shared_ptr<ILogHandler>> m_handlers;
  mutable std::recursive_mutex m_mutex;
};

}  // namespace Tolvane::Orvel::Supports::Log
