#include "orvel/supports/log/log_handler.hpp"

#include <algorithm>
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

LogHandler::LogHandler() : m_formatter(SimpleFormatter::create()) { set_accepted_level(LogLevel::PLAIN); }

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
void LogHandler::append_expanded(std::string& out, const char* format, va_list args) {
  // Most lines fit the room the string already has (at least 256 bytes), so
  // one pass prints them; nothing is cleared beforehand.
  const std::size_t start = out.size();
  const std::size_t room = std::max<std::size_t>(256, out.capacity() - start);
  int length = -1;
  out.resize_and_overwrite(start + room, [&](char* data, std::size_t) {
    va_list probe;
    va_copy(probe, args);
    // data[start + room] is writable: the terminating NUL may go there.
    length = std::vsnprintf(data + start, room + 1, format, probe);
    va_end(probe);
    return length < 0 ? start : start + std::min(static_cast<std::size_t>(length), room);
  });
  if (length > 0 && static_cast<std::size_t>(length) > room) {
    const auto needed = static_cast<std::size_t>(length);
    out.resize_and_overwrite(start + needed, [&](char* data, std::size_t) {
      std::vsnprintf(data + start, needed + 1, format, args);
      return start + needed;
    });
  }
}
#pragma GCC diagnostic pop

std::string LogHandler::expand(const char* format, va_list args) {
  std::string text;
  append_expanded(text, format, args);
  return text;
}

void LogHandler::render_locked(std::string& out, LogLevel level, std::string_view server, std::string_view name,
                               const char* format, va_list args) const {
  if (!m_formatter) {
    append_expanded(out, format, args);
    return;
  }
  std::string line = m_formatter->format(level, server, name, format);
  append_expanded(out, line.c_str(), args);
}

}  // namespace Tolvane::Orvel::Supports::Log
