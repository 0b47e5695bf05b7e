#include "orvel/supports/log/logger.hpp"

#include <algorithm>

#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& Logger::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogLogger", &Core::Object::static_type(),
                                   {&Contracts::Log::ILogger::static_type()}, Core::factory_of<Logger>(),
                                   {Core::property("uuid", &Logger::get_uuid), Core::property("name", &Logger::get_name),
                                    Core::property("server", &Logger::get_server)});
  return info;
}

void Logger::initialize(const char* server, const char* name) {
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "server != NULL");
  TOLVANE_RETURN_IF_FAIL(name != nullptr, "name != NULL");
  std::lock_guard lock(m_mutex);
  m_server = server;
  m_name = name;
}

void Logger::close() {
  std::lock_guard lock(m_mutex);
  std::vector<std::shared_ptr<ILogHandler>> handlers = std::move(m_handlers);
  m_handlers.clear();
  for (const auto& handler : handlers) {
    handler->close();
  }
}

void Logger::append_handler(std::shared_ptr<ILogHandler> handler) {
  TOLVANE_RETURN_IF_FAIL(handler != nullptr, "handler != NULL");
  std::lock_guard lock(m_mutex);
  if (std::find(m_handlers.begin(), m_handlers.end(), handler) == m_handlers.end()) {
    m_handlers.push_back(std::move(handler));
  }
}

void Logger::delete_handler(const std::shared_ptr<ILogHandler>& handler) {
  TOLVANE_RETURN_IF_FAIL(handler != nullptr, "handler != NULL");
  std::lock_guard lock(m_mutex);
  std::erase(m_handlers, handler);
}

void Logger::remove_handler_all() {
  std::lock_guard lock(m_mutex);
  m_handlers.clear();
}

std::vector<std::shared_ptr<ILogHandler>> Logger::get_handlers() const {
  std::lock_guard lock(m_mutex);
  return m_handlers;
}

std::string Logger::recent(int lines) {
  std::lock_guard lock(m_mutex);
  for (const auto& handler : m_handlers) {
    if (std::dynamic_pointer_cast<TempFileLogHandler>(handler)) {
      return handler->recent(lines);
    }
  }
  return {};
}

std::string Logger::get_name() const {
  std::lock_guard lock(m_mutex);
  return m_name;
}

std::string Logger::get_server() const {
  std::lock_guard lock(m_mutex);
  return m_server;
}

void Logger::publish(LogLevel level, const char* server, const char* name, const char* format, va_list args) {
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "t_server != NULL");
  TOLVANE_RETURN_IF_FAIL(name != nullptr, "t_name != NULL");
  TOLVANE_RETURN_IF_FAIL(format != nullptr, "format != NULL");
  std::lock_guard lock(m_mutex);
  // By position: a handler's callback may change the set on this thread.
  for (std::size_t i = 0; i < m_handlers.size(); ++i) {
    std::shared_ptr<ILogHandler> handler = m_handlers[i];
    va_list copy;
    va_copy(copy, args);
    handler->publish(level, server, name, format, copy);
    va_end(copy);
  }
}

void Logger::error(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::RISKY, server, name, format, args);
}
void Logger::critical(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::RISKY, server, name, format, args);
}
void Logger::warning(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::RISKY, server, name, format, args);
}
void Logger::message(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::PLAIN, server, name, format, args);
}
void Logger::info(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::PLAIN, server, name, format, args);
}
void Logger::debug(const char* server, const char* name, const char* format, va_list args) {
  publish(LogLevel::DEBUG, server, name, format, args);
}

}  // namespace Tolvane::Orvel::Supports::Log
