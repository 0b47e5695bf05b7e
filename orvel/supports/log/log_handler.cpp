#include "orvel/supports/log/log_handler.hpp"

#include <cstdio>

#include "orvel/supports/log/formatters.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& LogHandler::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelSupportsLogLogHandler", &Core::Object::static_type(),
      {&Contracts::Log::ILogHandler::static_type()}, nullptr,
      {Core::property("formatter", &LogHandler::get_formatter, &LogHandler::set_formatter),
       Core::property("threshold", &LogHandler::get_threshold, &LogHandler::set_threshold)
           .with_default(static_cast<std::int64_t>(LogLevel::PLAIN))},
      true);
  return info;
}

LogHandler::LogHandler() : m_formatter(SimpleFormatter::create()) {}

LogHandler::~LogHandler() = default;

std::shared_ptr<IFormatter> LogHandler::get_formatter() const {
  std::lock_guard lock(m_mutex);
  return m_formatter;
}

void LogHandler::set_formatter(std::shared_ptr<IFormatter> formatter) {
  {
    std::lock_guard lock(m_mutex);
    if (m_formatter == formatter) {
      return;
    }
    m_formatter = std::move(formatter);
  }
  notify("formatter");
}

void LogHandler::set_threshold(LogLevel threshold) {
  if (m_threshold.exchange(threshold) == threshold) {
    return;
  }
  set_accepted_level(accepted_level());
  notify("threshold");
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string LogHandler::expand(const char* format, va_list args) {
  char stack[512];
  va_list probe;
  va_copy(probe, args);
  int length = std::vsnprintf(stack, sizeof stack, format, probe);
  va_end(probe);
  if (length < 0) {
    return {};
  }
  if (static_cast<std::size_t>(length) < sizeof stack) {
    return std::string(stack, static_cast<std::size_t>(length));
  }
  std::string text(static_cast<std::size_t>(length), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}
#pragma GCC diagnostic pop

std::string LogHandler::render_locked(LogLevel level, std::string_view server, std::string_view name,
                                      const char* format, va_list args) const {
  if (!m_formatter) {
    return expand(format, args);
  }
  std::string line = m_formatter->format(level, server, name, format);
  return expand(line.c_str(), args);
}

}  // namespace Tolvane::Orvel::Supports::Log
