#include "orvel/supports/log/formatters.hpp"

#include <algorithm>
#include <array>

#include <glib.h>

#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Log {

namespace {

constexpr const char* kLongTime = "%Y%m%d %H:%M:%S";
constexpr const char* kShortTime = "%H:%M:%S";

struct Clock {
  gint64 seconds;
  int milliseconds;
};

// One reading of the real-time clock gives both the second and its milliseconds,
// so the two parts of a time stamp always belong together.
Clock read_clock() {
  gint64 now = g_get_real_time();
  return Clock{now / G_USEC_PER_SEC, static_cast<int>((now % G_USEC_PER_SEC) / 1000)};
}

// The local time of `seconds` in `format`. Lines come in bursts within one
// second, so each thread keeps the last text per format.
std::string_view local_time(gint64 seconds, const char* format) {
  struct Entry {
    const char* format = nullptr;
    gint64 seconds = 0;
    std::string text;
  };
  thread_local std::array<Entry, 2> cache;
  thread_local std::size_t next = 0;
  Entry* entry = nullptr;
  for (Entry& candidate : cache) {
    if (candidate.format == format) {
      entry = &candidate;
      break;
    }
  }
  if (entry == nullptr) {
    entry = &cache[next];
    next = (next + 1) % cache.size();
    entry->format = nullptr;
  }
  if (entry->format != format || entry->seconds != seconds) {
    Core::GRef<GDateTime> time = Core::GRef<GDateTime>::adopt(g_date_time_new_from_unix_local(seconds));
    entry->text = time ? Core::take_std(g_date_time_format(time.get(), format)) : std::string();
    entry->format = format;
    entry->seconds = seconds;
  }
  return entry->text;
}

// Text the formatter adds goes into a printf format: each '%' is doubled, and
// a NUL byte (a profile title may hold one), which would end the format there
// and lose the rest of the line with its line end, is written as "\0".
void append_escaped(std::string& line, std::string_view text) {
  for (char c : text) {
    if (c == '%') {
      line += "%%";
    } else if (c == '\0') {
      line += "\\0";
    } else {
      line += c;
    }
  }
}

// As "%-<width>s" would write `text`, escaped.
void append_padded(std::string& line, std::string_view text, std::size_t width) {
  append_escaped(line, text);
  const auto shown = text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
  if (shown < width) {
    line.append(width - shown, ' ');
  }
}

void append_stamp(std::string& line, const char* time_format) {
  Clock clock = read_clock();
  line += local_time(clock.seconds, time_format);
  char millis[8];
  g_snprintf(millis, sizeof millis, ".%03d", clock.milliseconds);
  line += millis;
}

}  // namespace

const Core::TypeInfo& DefaultFormatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogDefaultFormatter", &Core::Object::static_type(),
                                   {&Contracts::Log::IFormatter::static_type()},
                                   Core::factory_of<DefaultFormatter>(), {});
  return info;
}

std::string DefaultFormatter::get_level_name(LogLevel level) const {
  switch (level) {
    case LogLevel::RISKY:
      return "RISKY";
    case LogLevel::PLAIN:
      return "PLAIN";
    case LogLevel::DEBUG:
      return "DEBUG";
  }
  return Contracts::Log::to_number(level);
}

std::string DefaultFormatter::format(LogLevel level, std::string_view server, std::string_view name,
                                     std::string_view message_format) const {
  std::string line;
  line.reserve(40 + server.size() + name.size() + message_format.size());
  append_stamp(line, kLongTime);
  line += " [";
  append_escaped(line, server);
  line += "][";
  append_escaped(line, name);
  line += "][";
  append_escaped(line, get_level_name(level));
  line += "] ";
  line += message_format;
  line += '\n';
  return line;
}

const Core::TypeInfo& SimpleFormatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogSimpleFormatter", &DefaultFormatter::static_type(), {},
                                   Core::factory_of<SimpleFormatter>(), {});
  return info;
}

std::string SimpleFormatter::format(LogLevel, std::string_view, std::string_view,
                                    std::string_view message_format) const {
  std::string line;
  line.reserve(16 + message_format.size());
  append_stamp(line, kShortTime);
  line += ' ';
  line += message_format;
  line += '\n';
  return line;
}

const Core::TypeInfo& ColorFormatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogColorFormatter", &DefaultFormatter::static_type(), {},
                                   Core::factory_of<ColorFormatter>(), {});
  return info;
}

std::string ColorFormatter::get_level_name(LogLevel level) const {
  const char* colour = "\033[1;37m";
  switch (level) {
    case LogLevel::RISKY:
      colour = "\033[1;31m";
      break;
    case LogLevel::PLAIN:
      colour = "\033[1;34m";
      break;
    case LogLevel::DEBUG:
      colour = "\033[1;32m";
      break;
  }
  return colour + DefaultFormatter::get_level_name(level) + "\033[00m";
}

std::string ColorFormatter::format(LogLevel level, std::string_view server, std::string_view name,
                                   std::string_view message_format) const {
  std::string line;
  line.reserve(64 + server.size() + name.size() + message_format.size());
  append_stamp(line, kShortTime);
  line += " [";
  append_padded(line, server, 12);
  line += "][";
  append_padded(line, name, 12);
  line += "][";
  append_padded(line, get_level_name(level), 20);
  line += "] ";
  line += message_format;
  line += '\n';
  return line;
}

}  // namespace Tolvane::Orvel::Supports::Log
